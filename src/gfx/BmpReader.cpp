// BMP files: 1-, 4- and 8-bit palette indices, 24-bit BGR and 32-bit pixels (BGRX, or channel masks),
// rows bottom-up or top-down, no compression.
#include <algorithm>

#include "gfx/ImageReaders.h"

namespace gfx::image {
namespace {

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

}  // namespace

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
    StoreOneLevel(h.info, std::move(level), out);
    return true;
}

bool IsBmp(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    return in.u8() == 'B' && in.u8() == 'M';
}

bool ReadBmpInfo(const uint8_t* data, size_t size, ImageFileInfo* out) {
    BmpHeader h;
    if (!ReadBmpHeader(data, size, &h)) return false;
    *out = h.info;
    return true;
}

}  // namespace gfx::image
