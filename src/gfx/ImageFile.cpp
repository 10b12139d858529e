// Image file readers: headers for the texture rules, pixels for the upload. Every read is bounds-checked.
#include "gfx/ImageFile.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/NativePath.h"

#define STBI_NO_STDIO
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 4096
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace gfx {
namespace {

static_assert(kMaxImageSide == STBI_MAX_DIMENSIONS);

// Little-endian reads at fixed offsets; reading past the end yields 0 and sets the flag.
class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint32_t U8(size_t at) { return Read(at, 1); }
    uint32_t U16(size_t at) { return Read(at, 2); }
    uint32_t U32(size_t at) { return Read(at, 4); }
    bool truncated() const { return m_truncated; }

private:
    uint32_t Read(size_t at, size_t n) {
        if (at > m_size || m_size - at < n) {
            m_truncated = true;
            return 0;
        }
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint32_t(m_data[at + i]) << (8 * i);
        return v;
    }
    const uint8_t* m_data;
    size_t m_size;
    bool m_truncated = false;
};

bool SideInRange(uint64_t side) {
    return side >= 1 && side <= kMaxImageSide;
}

// ---- DDS -------------------------------------------------------------------------------------------

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
    ByteCursor in(data, size);
    if (in.U32(0) != kDdsMagic || in.U32(4) != 124) return false;
    uint32_t height = in.U32(12), width = in.U32(16), depth = in.U32(24), mips = in.U32(28);
    DdsPixelFormat pf;
    pf.flags = in.U32(80);
    pf.fourCC = in.U32(84);
    pf.bits = in.U32(88);
    pf.r = in.U32(92);
    pf.g = in.U32(96);
    pf.b = in.U32(100);
    pf.a = in.U32(104);
    uint32_t caps2 = in.U32(112);
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

// Scales a masked channel value to 8 bits.
uint32_t Channel(uint32_t pixel, uint32_t mask, uint32_t missing) {
    if (mask == 0) return missing;
    uint32_t value = (pixel & mask) >> std::countr_zero(mask);
    int bits = std::popcount(mask);
    if (bits >= 8) return value >> (bits - 8);
    uint32_t maxValue = (1u << bits) - 1;
    return (value * 255 + maxValue / 2) / maxValue;
}

bool DecodeMaskLevel(const MaskFormat& m, const uint8_t* p, size_t available, uint32_t w, uint32_t h,
                     ImageLevel* out) {
    size_t bytesPerPixel = m.bits / 8;
    size_t needed = size_t(w) * h * bytesPerPixel;
    if (available < needed) return false;
    out->width = w;
    out->height = h;
    out->argb.resize(size_t(w) * h);
    for (size_t i = 0; i < out->argb.size(); ++i) {
        uint32_t pixel = 0;
        for (size_t k = 0; k < bytesPerPixel; ++k) pixel |= uint32_t(p[i * bytesPerPixel + k]) << (8 * k);
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

bool DecodeDds(const uint8_t* data, size_t size, DecodedImage* out) {
    DdsHeader h;
    if (!ReadDdsHeader(data, size, &h)) return false;
    // Only plain 2-D textures carry pixels we upload; the other kinds are refused by their type.
    if (h.info.resourceType != ImageResourceType::Texture || size < kDdsDataOffset) return false;
    DecodedImage result;
    result.info = h.info;
    size_t offset = kDdsDataOffset;
    uint32_t w = h.info.width, hgt = h.info.height;
    for (uint32_t level = 0; level < h.info.mipLevels; ++level) {
        size_t available = size - offset;
        ImageLevel pixels;
        size_t used;
        if (h.mask != nullptr) {
            used = size_t(w) * hgt * (h.mask->bits / 8);
            if (!DecodeMaskLevel(*h.mask, data + offset, available, w, hgt, &pixels)) break;
        } else {
            used = DxtLevelBytes(h.info.format, w, hgt);
            if (available < used) break;
            if (!DecodeDxt(h.info.format, data + offset, used, w, hgt, &pixels.argb)) break;
            pixels.width = w;
            pixels.height = hgt;
            result.dxtLevels.emplace_back(data + offset, data + offset + used);
        }
        result.levels.push_back(std::move(pixels));
        offset += used;
        w = std::max(1u, w / 2);
        hgt = std::max(1u, hgt / 2);
    }
    if (result.levels.empty()) return false;
    result.info.mipLevels = uint32_t(result.levels.size());
    *out = std::move(result);
    return true;
}

// ---- DXT blocks --------------------------------------------------------------------------------------

uint32_t Expand565(uint32_t c) {
    uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return (r * 255 + 15) / 31 << 16 | (g * 255 + 31) / 63 << 8 | (b * 255 + 15) / 31;
}

uint32_t Mix(uint32_t c0, uint32_t c1, uint32_t w0, uint32_t w1) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t a = (c0 >> shift) & 255, b = (c1 >> shift) & 255;
        out |= ((a * w0 + b * w1) / (w0 + w1)) << shift;
    }
    return out;
}

// The 16 RGB texels of a colour block; alpha 0 marks DXT1's transparent texels when threeColour is allowed.
void ColourBlock(const uint8_t* b, bool allowThreeColour, uint32_t texels[16]) {
    uint32_t c0 = b[0] | b[1] << 8, c1 = b[2] | b[3] << 8;
    uint32_t palette[4];
    palette[0] = 0xff000000 | Expand565(c0);
    palette[1] = 0xff000000 | Expand565(c1);
    if (c0 > c1 || !allowThreeColour) {
        palette[2] = 0xff000000 | Mix(palette[0], palette[1], 2, 1);
        palette[3] = 0xff000000 | Mix(palette[0], palette[1], 1, 2);
    } else {
        palette[2] = 0xff000000 | Mix(palette[0], palette[1], 1, 1);
        palette[3] = 0;
    }
    uint32_t indices = b[4] | b[5] << 8 | b[6] << 16 | uint32_t(b[7]) << 24;
    for (int i = 0; i < 16; ++i) texels[i] = palette[(indices >> (2 * i)) & 3];
}

}  // namespace

bool DecodeDxt(Format format, const uint8_t* blocks, size_t size, uint32_t width, uint32_t height,
               std::vector<uint32_t>* argb) {
    if (!IsCompressedFormat(format) || width == 0 || height == 0) return false;
    size_t blockBytes = format == fmt::DXT1 ? 8 : 16;
    uint32_t across = (width + 3) / 4, down = (height + 3) / 4;
    if (size < size_t(across) * down * blockBytes) return false;
    argb->assign(size_t(width) * height, 0);
    for (uint32_t by = 0; by < down; ++by) {
        for (uint32_t bx = 0; bx < across; ++bx) {
            const uint8_t* b = blocks + (size_t(by) * across + bx) * blockBytes;
            uint32_t texels[16];
            uint32_t alpha[16];
            if (format == fmt::DXT1) {
                ColourBlock(b, true, texels);
                for (int i = 0; i < 16; ++i) alpha[i] = texels[i] >> 24;
            } else {
                ColourBlock(b + 8, false, texels);
                if (format == fmt::DXT2 || format == fmt::DXT3) {
                    for (int i = 0; i < 16; ++i) alpha[i] = ((b[i / 2] >> (4 * (i & 1))) & 15) * 17;
                } else {
                    uint32_t a0 = b[0], a1 = b[1];
                    uint32_t table[8] = {a0, a1};
                    if (a0 > a1) {
                        for (uint32_t k = 1; k < 7; ++k) table[k + 1] = ((7 - k) * a0 + k * a1) / 7;
                    } else {
                        for (uint32_t k = 1; k < 5; ++k) table[k + 1] = ((5 - k) * a0 + k * a1) / 5;
                        table[6] = 0;
                        table[7] = 255;
                    }
                    uint64_t bits = 0;
                    for (int k = 0; k < 6; ++k) bits |= uint64_t(b[2 + k]) << (8 * k);
                    for (int i = 0; i < 16; ++i) alpha[i] = table[(bits >> (3 * i)) & 7];
                }
            }
            for (int i = 0; i < 16; ++i) {
                uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height) {
                    (*argb)[size_t(y) * width + x] = (texels[i] & 0xffffff) | alpha[i] << 24;
                }
            }
        }
    }
    return true;
}

namespace {

// ---- BMP and PNG ---------------------------------------------------------------------------------------

bool ReadBmpHeader(const uint8_t* data, size_t size, ImageFileInfo* out) {
    ByteCursor in(data, size);
    if (in.U8(0) != 'B' || in.U8(1) != 'M') return false;
    uint32_t dibSize = in.U32(14);
    int64_t width, height;
    uint32_t bits, compression = 0, alphaMask = 0, greenMask = 0;
    if (dibSize == 12) {
        width = in.U16(18);
        height = in.U16(20);
        bits = in.U16(24);
    } else if (dibSize >= 40) {
        width = int32_t(in.U32(18));
        height = int32_t(in.U32(22));
        bits = in.U16(28);
        compression = in.U32(30);
        if (compression == 3) {  // bit fields follow the 40-byte header (or lie inside a larger one)
            greenMask = in.U32(58);
            alphaMask = dibSize >= 56 ? in.U32(66) : 0;
        } else if (dibSize >= 56) {
            alphaMask = in.U32(66);
        }
    } else {
        return false;
    }
    if (in.truncated() || !SideInRange(width < 0 ? -width : width) ||
        !SideInRange(height < 0 ? -height : height)) {
        return false;
    }
    if (width < 0) return false;
    Format format;
    switch (bits) {
    case 1:
    case 4:
    case 8: format = fmt::P8; break;
    case 16:
        format = alphaMask != 0 ? fmt::A1R5G5B5 : greenMask == 0x7e0 ? fmt::R5G6B5 : fmt::X1R5G5B5;
        break;
    case 24: format = fmt::R8G8B8; break;
    case 32: format = alphaMask != 0 ? fmt::A8R8G8B8 : fmt::X8R8G8B8; break;
    default: return false;
    }
    out->width = uint32_t(width);
    out->height = uint32_t(height < 0 ? -height : height);
    out->mipLevels = 1;
    out->format = format;
    out->resourceType = ImageResourceType::Texture;
    return true;
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool IsPng(const uint8_t* data, size_t size) {
    return size >= 8 && std::memcmp(data, kPngSignature, 8) == 0;
}

bool ReadPngHeader(const uint8_t* data, size_t size, ImageFileInfo* out) {
    if (size > size_t(INT32_MAX)) return false;
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &comp)) return false;
    if (!SideInRange(uint64_t(w)) || !SideInRange(uint64_t(h))) return false;
    out->width = uint32_t(w);
    out->height = uint32_t(h);
    out->mipLevels = 1;
    out->format = comp == 4 ? fmt::A8R8G8B8 : comp == 2 ? fmt::A8L8 : comp == 1 ? fmt::L8 : fmt::R8G8B8;
    out->resourceType = ImageResourceType::Texture;
    return true;
}

bool DecodeWithStb(const uint8_t* data, size_t size, const ImageFileInfo& info, DecodedImage* out) {
    if (size > size_t(INT32_MAX)) return false;
    int w = 0, h = 0, comp = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, int(size), &w, &h, &comp, 4);
    if (pixels == nullptr) return false;
    bool ok = uint32_t(w) == info.width && uint32_t(h) == info.height;
    if (ok) {
        bool keepAlpha = FormatHasAlpha(info.format);
        ImageLevel level;
        level.width = info.width;
        level.height = info.height;
        level.argb.resize(size_t(w) * h);
        for (size_t i = 0; i < level.argb.size(); ++i) {
            const stbi_uc* p = pixels + 4 * i;
            uint32_t a = keepAlpha ? p[3] : 255;
            level.argb[i] = a << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
        out->info = info;
        out->levels.clear();
        out->levels.push_back(std::move(level));
        out->dxtLevels.clear();
    }
    stbi_image_free(pixels);
    return ok;
}

}  // namespace

bool ReadImageFileInfo(const uint8_t* data, size_t size, ImageFileInfo* out) {
    if (data == nullptr || out == nullptr) return false;
    if (size >= 4 && ByteCursor(data, size).U32(0) == kDdsMagic) {
        DdsHeader h;
        if (!ReadDdsHeader(data, size, &h)) return false;
        *out = h.info;
        return true;
    }
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ReadBmpHeader(data, size, out);
    if (IsPng(data, size)) return ReadPngHeader(data, size, out);
    return false;
}

bool DecodeImageFile(const uint8_t* data, size_t size, DecodedImage* out) {
    if (data == nullptr || out == nullptr) return false;
    ImageFileInfo info;
    if (!ReadImageFileInfo(data, size, &info)) return false;
    if (size >= 4 && ByteCursor(data, size).U32(0) == kDdsMagic) return DecodeDds(data, size, out);
    return DecodeWithStb(data, size, info, out);
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
