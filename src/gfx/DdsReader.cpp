// DDS files: the header, uncompressed levels described by their channel masks, and DXT1-DXT5 blocks kept
// as the file holds them (with their decoded pixels beside them).
#include <algorithm>

#include "gfx/ImageReaders.h"

namespace gfx::image {
namespace {

constexpr uint32_t kDdsMagic = MakeFourCC('D', 'D', 'S', ' ');
constexpr size_t kDdsDataOffset = 128;
constexpr uint32_t kPfAlphaPixels = 0x1, kPfAlpha = 0x2, kPfFourCC = 0x4, kPfRgb = 0x40,
                   kPfLuminance = 0x20000, kPfBumpDuDv = 0x80000;
constexpr uint32_t kCaps2Cubemap = 0x200, kCaps2Volume = 0x200000;

struct DdsPixelFormat {
    uint32_t flags = 0, fourCC = 0, bits = 0, r = 0, g = 0, b = 0, a = 0;
};

struct MaskFormat {
    uint32_t kind;  // kPfRgb, kPfLuminance, kPfAlpha or kPfBumpDuDv
    uint32_t bits, r, g, b, a;
    Format format;
};

constexpr MaskFormat kMaskFormats[] = {
    {kPfRgb, 32, 0xff0000, 0xff00, 0xff, 0xff000000, fmt::A8R8G8B8},
    {kPfRgb, 32, 0xff0000, 0xff00, 0xff, 0, fmt::X8R8G8B8},
    {kPfRgb, 32, 0xff, 0xff00, 0xff0000, 0xff000000, fmt::A8B8G8R8},
    {kPfRgb, 32, 0xff, 0xff00, 0xff0000, 0, fmt::X8B8G8R8},
    {kPfRgb, 32, 0x3ff00000, 0xffc00, 0x3ff, 0xc0000000, fmt::A2R10G10B10},
    {kPfRgb, 32, 0x3ff, 0xffc00, 0x3ff00000, 0xc0000000, fmt::A2B10G10R10},
    {kPfRgb, 32, 0xffff, 0xffff0000, 0, 0, fmt::G16R16},
    {kPfRgb, 24, 0xff0000, 0xff00, 0xff, 0, fmt::R8G8B8},
    {kPfRgb, 16, 0xf800, 0x7e0, 0x1f, 0, fmt::R5G6B5},
    {kPfRgb, 16, 0x7c00, 0x3e0, 0x1f, 0x8000, fmt::A1R5G5B5},
    {kPfRgb, 16, 0x7c00, 0x3e0, 0x1f, 0, fmt::X1R5G5B5},
    {kPfRgb, 16, 0xf00, 0xf0, 0xf, 0xf000, fmt::A4R4G4B4},
    {kPfRgb, 16, 0xf00, 0xf0, 0xf, 0, fmt::X4R4G4B4},
    {kPfRgb, 16, 0xe0, 0x1c, 0x3, 0xff00, fmt::A8R3G3B2},
    {kPfRgb, 8, 0xe0, 0x1c, 0x3, 0, fmt::R3G3B2},
    {kPfLuminance, 8, 0xff, 0, 0, 0, fmt::L8},
    {kPfLuminance, 16, 0xff, 0, 0, 0xff00, fmt::A8L8},
    {kPfLuminance, 8, 0xf, 0, 0, 0xf0, fmt::A4L4},
    {kPfAlpha, 8, 0, 0, 0, 0xff, fmt::A8},
    {kPfBumpDuDv, 16, 0xff, 0xff00, 0, 0, fmt::V8U8},
    {kPfBumpDuDv, 32, 0xff, 0xff00, 0xff0000, 0xff000000, fmt::Q8W8V8U8},
    {kPfBumpDuDv, 32, 0xffff, 0xffff0000, 0, 0, fmt::V16U16},
};

const MaskFormat* FindMaskFormat(const DdsPixelFormat& pf) {
    uint32_t kind = pf.flags & kPfRgb         ? kPfRgb
                    : pf.flags & kPfLuminance ? kPfLuminance
                    : pf.flags & kPfBumpDuDv  ? kPfBumpDuDv
                    : pf.flags & kPfAlpha     ? kPfAlpha
                                              : 0;
    uint32_t a = (pf.flags & (kPfAlphaPixels | kPfAlpha)) ? pf.a : 0;
    for (const MaskFormat& m : kMaskFormats) {
        if (m.kind == kind && m.bits == pf.bits && m.r == pf.r && m.g == pf.g && m.b == pf.b && m.a == a) {
            return &m;
        }
    }
    return nullptr;
}

Format DxtFormatOf(uint32_t fourCC) {
    switch (fourCC) {
    case fmt::DXT1:
    case fmt::DXT2:
    case fmt::DXT3:
    case fmt::DXT4:
    case fmt::DXT5: return fourCC;
    default: return fmt::Unknown;
    }
}

struct DdsHeader {
    ImageFileInfo info;
    DdsPixelFormat pf;
    const MaskFormat* mask = nullptr;  // uncompressed formats
};

bool ReadDdsHeader(const uint8_t* data, size_t size, DdsHeader* out) {
    ByteReader in(data, size);
    if (U32(in) != kDdsMagic || U32(in) != 124) return false;
    const uint32_t height = U32At(in, 12), width = U32(in);
    const uint32_t depth = U32At(in, 24), mips = U32(in);
    DdsPixelFormat pf;
    in.seek(80);
    for (uint32_t* field : {&pf.flags, &pf.fourCC, &pf.bits, &pf.r, &pf.g, &pf.b, &pf.a}) *field = U32(in);
    const uint32_t caps2 = U32At(in, 112);
    if (in.truncated() || !SideInRange(width) || !SideInRange(height)) return false;

    DdsHeader h;
    h.pf = pf;
    h.info.width = width;
    h.info.height = height;
    if (pf.flags & kPfFourCC) {
        h.info.format = DxtFormatOf(pf.fourCC);
        if (h.info.format == fmt::Unknown) return false;
    } else {
        h.mask = FindMaskFormat(pf);
        if (h.mask == nullptr) return false;
        h.info.format = h.mask->format;
    }
    uint32_t maxLevels = uint32_t(std::bit_width(std::max(width, height)));
    h.info.mipLevels = std::clamp<uint32_t>(mips, 1, maxLevels);
    if (caps2 & kCaps2Cubemap) {
        h.info.resourceType = ImageResourceType::CubeTexture;
    } else if ((caps2 & kCaps2Volume) && depth > 1) {
        h.info.resourceType = ImageResourceType::VolumeTexture;
    } else {
        h.info.resourceType = ImageResourceType::Texture;
    }
    *out = h;
    return true;
}

// One level from the cursor's position; false (nothing allocated) when the file holds less than it needs.
bool DecodeMaskLevel(const MaskFormat& m, ByteReader& in, uint32_t w, uint32_t h, ImageLevel* out) {
    const size_t bytesPerPixel = m.bits / 8;
    if (in.remaining() < size_t(w) * h * bytesPerPixel) return false;
    out->width = w;
    out->height = h;
    out->argb.resize(size_t(w) * h);
    for (size_t i = 0; i < out->argb.size(); ++i) {
        uint32_t pixel = 0;
        for (size_t k = 0; k < bytesPerPixel; ++k) pixel |= uint32_t(in.u8()) << (8 * k);
        uint32_t r, g, b;
        if (m.kind == kPfLuminance) {
            r = g = b = Channel(pixel, m.r, 0);
        } else {
            r = Channel(pixel, m.r, 0);
            g = Channel(pixel, m.g, 0);
            b = Channel(pixel, m.b, 0);
        }
        uint32_t a = Channel(pixel, m.a, 255);
        out->argb[i] = a << 24 | r << 16 | g << 8 | b;
    }
    return true;
}

size_t DxtLevelBytes(Format f, uint32_t w, uint32_t h) {
    return size_t(LevelPitch(f, w)) * LevelRows(f, h);
}

}  // namespace

bool DecodeDds(const uint8_t* data, size_t size, DecodedImage* out) {
    DdsHeader h;
    if (!ReadDdsHeader(data, size, &h)) return false;
    // Only plain 2-D textures carry pixels we upload; the other kinds are refused by their type.
    if (h.info.resourceType != ImageResourceType::Texture || size < kDdsDataOffset) return false;
    DecodedImage result;
    result.info = h.info;
    ByteReader in(data, size);
    in.seek(kDdsDataOffset);
    uint32_t w = h.info.width, hgt = h.info.height;
    for (uint32_t level = 0; level < h.info.mipLevels; ++level) {
        ImageLevel pixels;
        if (h.mask != nullptr) {
            if (!DecodeMaskLevel(*h.mask, in, w, hgt, &pixels)) break;
        } else {
            const size_t used = DxtLevelBytes(h.info.format, w, hgt);
            if (in.remaining() < used) break;
            std::vector<uint8_t> blocks(used);
            in.bytes(blocks.data(), used);
            if (!DecodeDxt(h.info.format, blocks.data(), used, w, hgt, &pixels.argb)) break;
            pixels.width = w;
            pixels.height = hgt;
            result.dxtLevels.push_back(std::move(blocks));
        }
        result.levels.push_back(std::move(pixels));
        w = std::max(1u, w / 2);
        hgt = std::max(1u, hgt / 2);
    }
    if (result.levels.empty()) return false;
    result.info.mipLevels = uint32_t(result.levels.size());
    *out = std::move(result);
    return true;
}

bool IsDds(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    return U32(in) == kDdsMagic && !in.truncated();
}

bool ReadDdsInfo(const uint8_t* data, size_t size, ImageFileInfo* out) {
    DdsHeader h;
    if (!ReadDdsHeader(data, size, &h)) return false;
    *out = h.info;
    return true;
}

}  // namespace gfx::image
