// The readers behind ImageFile, one per file kind, and the little they share. Each takes the file's
// bytes through one bounds-checked ByteReader and never reads outside them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "data/ByteReader.h"
#include "gfx/ImageFile.h"

namespace gfx::image {

// A little-endian word from the cursor; a read past the end yields 0 and marks the cursor truncated.
inline uint32_t U32(ByteReader& in) {
    const uint32_t low = in.u16();
    return low | uint32_t(in.u16()) << 16;
}

inline uint32_t U32At(ByteReader& in, size_t at) {
    in.seek(at);
    return U32(in);
}

inline bool SideInRange(uint64_t side) {
    return side >= 1 && side <= kMaxImageSide;
}

// A channel of a pixel under its mask, scaled to 8 bits; missing when the mask is empty.
inline uint32_t Channel(uint32_t pixel, uint32_t mask, uint32_t missing) {
    if (mask == 0) return missing;
    uint32_t value = (pixel & mask) >> std::countr_zero(mask);
    int bits = std::popcount(mask);
    if (bits >= 8) return value >> (bits - 8);
    uint32_t maxValue = (1u << bits) - 1;
    return (value * 255 + maxValue / 2) / maxValue;
}

// A picture of one level, without DXT blocks, replaces what out held.
inline void StoreOneLevel(const ImageFileInfo& info, ImageLevel&& level, DecodedImage* out) {
    out->info = info;
    out->levels.clear();
    out->levels.push_back(std::move(level));
    out->dxtLevels.clear();
}

// Each reader: whether the bytes start like its kind, the header alone, and header with pixels.
bool IsDds(const uint8_t* data, size_t size);
bool ReadDdsInfo(const uint8_t* data, size_t size, ImageFileInfo* out);
bool DecodeDds(const uint8_t* data, size_t size, DecodedImage* out);

bool IsBmp(const uint8_t* data, size_t size);
bool ReadBmpInfo(const uint8_t* data, size_t size, ImageFileInfo* out);
bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out);

bool IsPng(const uint8_t* data, size_t size);
bool ReadPngInfo(const uint8_t* data, size_t size, ImageFileInfo* out);
bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out);

}  // namespace gfx::image
