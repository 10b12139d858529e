// Image file readers: headers for the texture rules, pixels for the upload. DDS and BMP are read here,
// PNG through libpng; every byte of a file is taken through one bounds-checked ByteReader.
#include "gfx/ImageFile.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "data/ByteReader.h"
#include "platform/NativePath.h"

namespace gfx {
namespace {

// Little-endian words from the cursor; a read past the end yields 0 and marks the cursor truncated.
uint32_t U32(ByteReader& in) {
    const uint32_t low = in.u16();
    return low | uint32_t(in.u16()) << 16;
}

uint32_t U32At(ByteReader& in, size_t at) {
    in.seek(at);
    return U32(in);
}

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

// Scales a masked channel value to 8 bits.
uint32_t Channel(uint32_t pixel, uint32_t mask, uint32_t missing) {
    if (mask == 0) return missing;
    uint32_t value = (pixel & mask) >> std::countr_zero(mask);
    int bits = std::popcount(mask);
    if (bits >= 8) return value >> (bits - 8);
    uint32_t maxValue = (1u << bits) - 1;
    return (value * 255 + maxValue / 2) / maxValue;
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
    ByteReader in(blocks, size);
    for (uint32_t by = 0; by < down; ++by) {
        for (uint32_t bx = 0; bx < across; ++bx) {
            uint8_t b[16];
            in.bytes(b, blockBytes);
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

// ---- BMP -----------------------------------------------------------------------------------------------

// What the pixel reader needs from a BMP header. Read are: 1-, 4- and 8-bit palette indices, 24-bit BGR and
// 32-bit pixels (BGRX, or channel masks), rows bottom-up or top-down, no compression. Others are refused.
struct BmpHeader {
    ImageFileInfo info;
    uint32_t bits = 0;
    bool topDown = false;
    size_t pixelOffset = 0;                            // bytes from the start of the file
    size_t paletteOffset = 0, paletteEntries = 0;      // entries fit between the header and the pixels
    size_t paletteEntryBytes = 4;                      // 3 in the oldest header
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;  // channel masks of 32-bit pixels
};

constexpr uint32_t kBmpRgb = 0, kBmpBitFields = 3;  // compression values

bool ContiguousMask(uint32_t mask) {
    if (mask == 0) return true;
    const uint32_t bits = mask >> std::countr_zero(mask);
    return (bits & (bits + 1)) == 0;
}

bool ReadBmpHeader(const uint8_t* data, size_t size, BmpHeader* out) {
    ByteReader in(data, size);
    if (in.u8() != 'B' || in.u8() != 'M') return false;
    BmpHeader h;
    h.pixelOffset = U32At(in, 10);
    const size_t dibSize = U32(in);
    int64_t width, height;
    uint32_t planes, compression = kBmpRgb, coloursUsed = 0;
    if (dibSize == 12) {
        width = in.u16();
        height = in.u16();
        planes = in.u16();
        h.bits = in.u16();
        h.paletteEntryBytes = 3;
    } else if (dibSize >= 40) {
        width = int32_t(U32(in));
        height = int32_t(U32(in));
        planes = in.u16();
        h.bits = in.u16();
        compression = U32(in);
        coloursUsed = U32At(in, 46);
    } else {
        return false;
    }
    const size_t headerEnd = 14 + dibSize;
    if (in.truncated() || planes != 1 || width < 0 || !SideInRange(uint64_t(width)) ||
        !SideInRange(uint64_t(height < 0 ? -height : height))) {
        return false;
    }
    h.topDown = height < 0;
    h.info.width = uint32_t(width);
    h.info.height = uint32_t(height < 0 ? -height : height);
    if (h.bits == 1 || h.bits == 4 || h.bits == 8) {
        if (compression != kBmpRgb || h.pixelOffset <= headerEnd) return false;
        h.info.format = fmt::P8;
        h.paletteOffset = headerEnd;
        const size_t most = size_t(1) << h.bits;
        h.paletteEntries = std::min({coloursUsed != 0 ? size_t(coloursUsed) : most, most,
                                     (h.pixelOffset - headerEnd) / h.paletteEntryBytes});
        if (h.paletteEntries == 0) return false;
    } else if (h.bits == 24 && compression == kBmpRgb) {
        h.info.format = fmt::R8G8B8;
    } else if (h.bits == 32 && (compression == kBmpRgb || compression == kBmpBitFields)) {
        // The masks follow a 40-byte header, or are its own fields in the larger ones (alpha from 56 on).
        const bool masksFromFile = compression == kBmpBitFields;
        const uint32_t declaredAlpha = dibSize >= 56 ? U32At(in, 66) : 0;
        h.red = masksFromFile ? U32At(in, 54) : 0xff0000;
        h.green = masksFromFile ? U32(in) : 0xff00;
        h.blue = masksFromFile ? U32(in) : 0xff;
        h.alpha = masksFromFile ? declaredAlpha : declaredAlpha != 0 ? 0xff000000 : 0;
        if (in.truncated()) return false;
        for (uint32_t mask : {h.red, h.green, h.blue, h.alpha}) {
            if (!ContiguousMask(mask)) return false;
        }
        h.info.format = h.alpha != 0 ? fmt::A8R8G8B8 : fmt::X8R8G8B8;
    } else {
        return false;
    }
    if (h.pixelOffset < headerEnd) return false;
    h.info.mipLevels = 1;
    h.info.resourceType = ImageResourceType::Texture;
    *out = h;
    return true;
}

// Palette entries as opaque ARGB; indices past the file's palette read as opaque black.
std::vector<uint32_t> ReadBmpPalette(const BmpHeader& h, ByteReader& in) {
    std::vector<uint32_t> palette(size_t(1) << h.bits, 0xff000000);
    in.seek(h.paletteOffset);
    for (size_t i = 0; i < h.paletteEntries; ++i) {
        const uint32_t blue = in.u8(), green = in.u8(), red = in.u8();
        if (h.paletteEntryBytes == 4) in.u8();
        palette[i] = 0xff000000 | red << 16 | green << 8 | blue;
    }
    return palette;
}

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out) {
    BmpHeader h;
    if (!ReadBmpHeader(data, size, &h)) return false;
    const uint32_t w = h.info.width, hgt = h.info.height;
    const size_t rowBytes = (size_t(w) * h.bits + 7) / 8;
    const size_t stride = (size_t(w) * h.bits + 31) / 32 * 4;  // rows are padded to four bytes
    // The last row may lack its padding; anything shorter is missing pixels.
    if (h.pixelOffset > size || size - h.pixelOffset < stride * (hgt - 1) + rowBytes) return false;
    ByteReader in(data, size);
    const std::vector<uint32_t> palette =
        h.info.format == fmt::P8 ? ReadBmpPalette(h, in) : std::vector<uint32_t>();
    if (in.truncated()) return false;

    ImageLevel level;
    level.width = w;
    level.height = hgt;
    level.argb.resize(size_t(w) * hgt);
    uint32_t alphaSeen = 0;
    for (uint32_t fileRow = 0; fileRow < hgt; ++fileRow) {
        in.seek(h.pixelOffset + stride * fileRow);
        uint32_t* row = &level.argb[size_t(h.topDown ? fileRow : hgt - 1 - fileRow) * w];
        if (h.bits <= 8) {
            const uint32_t perByte = 8 / h.bits, indexMask = (1u << h.bits) - 1;
            uint32_t byte = 0;
            for (uint32_t x = 0; x < w; ++x) {
                if (x % perByte == 0) byte = in.u8();
                row[x] = palette[(byte >> (8 - h.bits * (x % perByte + 1))) & indexMask];
            }
        } else if (h.bits == 24) {
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t blue = in.u8(), green = in.u8(), red = in.u8();
                row[x] = 0xff000000 | red << 16 | green << 8 | blue;
            }
        } else {
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t pixel = U32(in), a = Channel(pixel, h.alpha, 255);
                alphaSeen |= a;
                row[x] = a << 24 | Channel(pixel, h.red, 0) << 16 | Channel(pixel, h.green, 0) << 8 |
                         Channel(pixel, h.blue, 0);
            }
        }
    }
    // Writers that leave the alpha bytes of 32-bit files at zero mean opaque pixels.
    if (h.alpha != 0 && alphaSeen == 0) {
        for (uint32_t& pixel : level.argb) pixel |= 0xff000000;
    }
    out->info = h.info;
    out->levels.clear();
    out->levels.push_back(std::move(level));
    out->dxtLevels.clear();
    return true;
}

// ---- PNG -----------------------------------------------------------------------------------------------

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr png_alloc_size_t kMaxPngChunkBytes = 1u << 20;  // no chunk our files use comes near this

bool IsPng(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    uint8_t signature[8];
    return in.bytes(signature, 8) == 8 && std::memcmp(signature, kPngSignature, 8) == 0;
}

// libpng reports errors through these; they leave by longjmp to the reading stage's setjmp.
[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, size_t count) {
    auto* in = static_cast<ByteReader*>(png_get_io_ptr(png));
    if (in->bytes(out, count) != count) png_error(png, "file ends early");
}

// Owns libpng's read state for one file.
class PngFile {
public:
    explicit PngFile(ByteReader* in)
        : m_png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning)),
          m_info(m_png != nullptr ? png_create_info_struct(m_png) : nullptr),
          m_in(in) {}
    ~PngFile() { png_destroy_read_struct(&m_png, m_info != nullptr ? &m_info : nullptr, nullptr); }
    PngFile(const PngFile&) = delete;
    PngFile& operator=(const PngFile&) = delete;

    // The chunks before the pixel data, within the side limit; only IHDR, PLTE, tRNS, IDAT and IEND are
    // looked at, every other chunk is skipped unread.
    bool ReadInfo() {
        if (m_info == nullptr) return false;
        return ReadInfoStage(m_png, m_info, m_in);
    }

    // Rows of RGBA bytes after ReadInfo: palettes, grey levels and low bit depths expanded, 16-bit
    // samples cut to their high byte, interlaced images put together.
    bool ReadRgba(png_bytepp rows) { return ReadRgbaStage(m_png, m_info, rows); }

    png_uint_32 width() const { return png_get_image_width(m_png, m_info); }
    png_uint_32 height() const { return png_get_image_height(m_png, m_info); }
    int colourType() const { return png_get_color_type(m_png, m_info); }
    bool hasTransparency() const { return png_get_valid(m_png, m_info, PNG_INFO_tRNS) != 0; }

private:
    // The stages hold no object with a destructor: libpng leaves them by longjmp on bad data.
    static bool ReadInfoStage(png_structp png, png_infop info, ByteReader* in) {
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_read_fn(png, in, PngRead);
        png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
        png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_read_info(png, info);
        return true;
    }

    static bool ReadRgbaStage(png_structp png, png_infop info, png_bytepp rows) {
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != size_t(png_get_image_width(png, info)) * 4) return false;
        png_read_image(png, rows);
        return true;
    }

    png_structp m_png;
    png_infop m_info;
    ByteReader* m_in;
};

// The format a PNG reports: its colour type; a palette with a transparency chunk counts as alpha.
Format PngFormat(const PngFile& png) {
    switch (png.colourType()) {
    case PNG_COLOR_TYPE_GRAY: return fmt::L8;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return fmt::A8L8;
    case PNG_COLOR_TYPE_RGB_ALPHA: return fmt::A8R8G8B8;
    case PNG_COLOR_TYPE_PALETTE: return png.hasTransparency() ? fmt::A8R8G8B8 : fmt::R8G8B8;
    default: return fmt::R8G8B8;
    }
}

bool ReadPngInfo(PngFile& png, ImageFileInfo* out) {
    if (!png.ReadInfo() || !SideInRange(png.width()) || !SideInRange(png.height())) return false;
    out->width = png.width();
    out->height = png.height();
    out->mipLevels = 1;
    out->format = PngFormat(png);
    out->resourceType = ImageResourceType::Texture;
    return true;
}

bool ReadPngHeader(const uint8_t* data, size_t size, ImageFileInfo* out) {
    ByteReader in(data, size);
    PngFile png(&in);
    return ReadPngInfo(png, out);
}

bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out) {
    ByteReader in(data, size);
    PngFile png(&in);
    ImageFileInfo info;
    if (!ReadPngInfo(png, &info)) return false;
    std::vector<uint8_t> rgba(size_t(info.width) * info.height * 4);
    std::vector<png_bytep> rows(info.height);
    for (uint32_t y = 0; y < info.height; ++y) rows[y] = &rgba[size_t(y) * info.width * 4];
    if (!png.ReadRgba(rows.data())) return false;

    // Grey and colour files without an alpha format are opaque, whatever a transparency chunk says.
    const bool keepAlpha = FormatHasAlpha(info.format);
    ImageLevel level;
    level.width = info.width;
    level.height = info.height;
    level.argb.resize(size_t(info.width) * info.height);
    for (size_t i = 0; i < level.argb.size(); ++i) {
        const uint8_t* p = &rgba[4 * i];
        const uint32_t a = keepAlpha ? p[3] : 255;
        level.argb[i] = a << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    out->info = info;
    out->levels.clear();
    out->levels.push_back(std::move(level));
    out->dxtLevels.clear();
    return true;
}

bool IsDds(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    return U32(in) == kDdsMagic && !in.truncated();
}

bool IsBmp(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    return in.u8() == 'B' && in.u8() == 'M';
}

}  // namespace

bool ReadImageFileInfo(const uint8_t* data, size_t size, ImageFileInfo* out) {
    if (data == nullptr || out == nullptr) return false;
    if (IsDds(data, size)) {
        DdsHeader h;
        if (!ReadDdsHeader(data, size, &h)) return false;
        *out = h.info;
        return true;
    }
    if (IsBmp(data, size)) {
        BmpHeader h;
        if (!ReadBmpHeader(data, size, &h)) return false;
        *out = h.info;
        return true;
    }
    if (IsPng(data, size)) return ReadPngHeader(data, size, out);
    return false;
}

bool DecodeImageFile(const uint8_t* data, size_t size, DecodedImage* out) {
    if (data == nullptr || out == nullptr) return false;
    if (IsDds(data, size)) return DecodeDds(data, size, out);
    if (IsBmp(data, size)) return DecodeBmp(data, size, out);
    if (IsPng(data, size)) return DecodePng(data, size, out);
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
