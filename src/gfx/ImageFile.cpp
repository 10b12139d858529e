// Image files for textures: the kind told by the first bytes and handed to its reader (DDS, BMP, PNG),
// the bounded whole-file read, and which formats carry alpha.
#include "gfx/ImageFile.h"

#include <cstdio>

#include "gfx/ImageReaders.h"
#include "platform/NativePath.h"

namespace gfx {

bool ReadImageFileInfo(const uint8_t* data, size_t size, ImageFileInfo* out) {
    if (data == nullptr || out == nullptr) return false;
    if (image::IsDds(data, size)) return image::ReadDdsInfo(data, size, out);
    if (image::IsBmp(data, size)) return image::ReadBmpInfo(data, size, out);
    if (image::IsPng(data, size)) return image::ReadPngInfo(data, size, out);
    return false;
}

bool DecodeImageFile(const uint8_t* data, size_t size, DecodedImage* out) {
    if (data == nullptr || out == nullptr) return false;
    if (image::IsDds(data, size)) return image::DecodeDds(data, size, out);
    if (image::IsBmp(data, size)) return image::DecodeBmp(data, size, out);
    if (image::IsPng(data, size)) return image::DecodePng(data, size, out);
    return false;
}

bool ReadImageFileBytes(const std::string& path, std::vector<uint8_t>* out) {
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long length = ok ? std::ftell(file) : -1;
    ok = ok && length >= 0 && size_t(length) <= kMaxImageFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out->resize(size_t(length));
        ok = length == 0 || std::fread(out->data(), 1, size_t(length), file) == size_t(length);
    }
    std::fclose(file);
    return ok;
}

bool FormatHasAlpha(Format format) {
    switch (format) {
    case fmt::A8R8G8B8:
    case fmt::A1R5G5B5:
    case fmt::A4R4G4B4:
    case fmt::A8:
    case fmt::A8R3G3B2:
    case fmt::A2B10G10R10:
    case fmt::A8B8G8R8:
    case fmt::A2R10G10B10:
    case fmt::A16B16G16R16:
    case fmt::A8P8:
    case fmt::A8L8:
    case fmt::A4L4:
    case fmt::A2W10V10U10:
    case fmt::MULTI2_ARGB8:
    case fmt::DXT1:
    case fmt::DXT2:
    case fmt::DXT3:
    case fmt::DXT4:
    case fmt::DXT5:
    case fmt::A16B16G16R16F:
    case fmt::A32B32G32R32F: return true;
    default: return false;
    }
}

}  // namespace gfx
