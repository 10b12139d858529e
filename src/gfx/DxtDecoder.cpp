// DXT1-DXT5 blocks unpacked into ARGB values: the colour block with its four- or three-colour rule, and
// the explicit (DXT2/3) or interpolated (DXT4/5) alpha.
#include "data/ByteReader.h"
#include "gfx/ImageFile.h"

namespace gfx {
namespace {

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

}  // namespace gfx
