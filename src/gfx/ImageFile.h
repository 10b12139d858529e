// Image files for textures: BMP (palette, 24- and 32-bit) and DDS (uncompressed formats by their channel
// masks, DXT1 to DXT5 blocks) read by our own code, PNG through libpng. Formats are reported by their
// Direct3D codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Device.h"

namespace gfx {

// Signed bump-map formats (Direct3D codes) that DDS files may carry.
namespace fmt {
constexpr Format V8U8 = 60;
constexpr Format Q8W8V8U8 = 63;
constexpr Format V16U16 = 64;
constexpr Format Q16W16V16U16 = 110;
}  // namespace fmt

// What kind of resource a file describes (Direct3D's resource type numbers).
enum class ImageResourceType : uint32_t {
    Surface = 1,
    Volume = 2,
    Texture = 3,
    VolumeTexture = 4,
    CubeTexture = 5
};

constexpr uint32_t kMaxImageSide = 4096;           // larger images are refused
constexpr size_t kMaxImageFileBytes = 128u << 20;  // larger files are refused unread

struct ImageFileInfo {
    uint32_t width = 0, height = 0;
    uint32_t mipLevels = 1;  // levels stored in the file (DDS), else 1
    Format format = fmt::Unknown;
    ImageResourceType resourceType = ImageResourceType::Texture;
};

// One level as ARGB values (A8R8G8B8 words), top row first.
struct ImageLevel {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> argb;
};

struct DecodedImage {
    ImageFileInfo info;
    std::vector<ImageLevel> levels;               // at least level 0; further levels from a DDS file
    std::vector<std::vector<uint8_t>> dxtLevels;  // the file's own blocks, when its format is DXT1-DXT5
};

// Reads the header only. False when the bytes are no image of a kind we read, or its size is out of range.
bool ReadImageFileInfo(const uint8_t* data, size_t size, ImageFileInfo* out);

// Reads header and pixels. False when the header is bad or the pixel data is missing or invalid. Never
// reads outside the given bytes and never allocates more than the bounded image size asks.
bool DecodeImageFile(const uint8_t* data, size_t size, DecodedImage* out);

// The whole file (program path with backslashes). False when it cannot be opened or exceeds the bound.
bool ReadImageFileBytes(const std::string& path, std::vector<uint8_t>* out);

// Unpacks DXT1/DXT3/DXT5 blocks (DXT2 and DXT4 read as DXT3 and DXT5) of a width x height level into
// ARGB values. False when the block data is shorter than the level needs.
bool DecodeDxt(Format format, const uint8_t* blocks, size_t size, uint32_t width, uint32_t height,
               std::vector<uint32_t>* argb);

// True for formats whose pixels carry an alpha channel (the colour-key rule of texture loading).
bool FormatHasAlpha(Format format);

}  // namespace gfx
