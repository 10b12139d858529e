// Colour key, mip filters, normal maps and format conversion for texture uploads.
#include "gfx/TextureUpload.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define STB_DXT_STATIC
#define STB_DXT_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb/stb_dxt.h>
#pragma GCC diagnostic pop

namespace gfx {
namespace {

uint32_t ChannelOf(uint32_t argb, int shift) {
    return (argb >> shift) & 255;
}

uint16_t To16(uint32_t c, Format format) {
    uint32_t a = ChannelOf(c, 24), r = ChannelOf(c, 16), g = ChannelOf(c, 8), b = ChannelOf(c, 0);
    switch (format) {
    case fmt::R5G6B5: return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    case fmt::X1R5G5B5: return uint16_t(0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    case fmt::A1R5G5B5: return uint16_t((a >= 128 ? 0x8000 : 0) | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    case fmt::A4R4G4B4: return uint16_t((a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4);
    case fmt::X4R4G4B4: return uint16_t(0xf000 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4);
    default: return 0;
    }
}

// One 4 x 4 block of RGBA bytes (the layout stb_dxt reads), edges repeated for levels under 4 texels.
void GatherBlock(const ImageLevel& pixels, uint32_t bx, uint32_t by, uint8_t rgba[64]) {
    for (uint32_t i = 0; i < 16; ++i) {
        uint32_t x = std::min(bx * 4 + i % 4, pixels.width - 1),
                 y = std::min(by * 4 + i / 4, pixels.height - 1);
        uint32_t c = pixels.argb[size_t(y) * pixels.width + x];
        rgba[i * 4 + 0] = uint8_t(ChannelOf(c, 16));
        rgba[i * 4 + 1] = uint8_t(ChannelOf(c, 8));
        rgba[i * 4 + 2] = uint8_t(ChannelOf(c, 0));
        rgba[i * 4 + 3] = uint8_t(ChannelOf(c, 24));
    }
}

void CompressBlock(const uint8_t rgba[64], Format format, uint8_t* out) {
    switch (format) {
    case fmt::DXT1: stb_compress_dxt_block(out, rgba, 0, STB_DXT_HIGHQUAL); break;
    case fmt::DXT2:
    case fmt::DXT3: {
        for (int i = 0; i < 8; ++i) {
            out[i] = uint8_t((rgba[(2 * i) * 4 + 3] >> 4) | (rgba[(2 * i + 1) * 4 + 3] >> 4) << 4);
        }
        // The colour half of a DXT3 block is a four-colour DXT1 block; stb_dxt writes that ordering.
        stb_compress_dxt_block(out + 8, rgba, 0, STB_DXT_HIGHQUAL);
        break;
    }
    default:  // DXT4, DXT5
        stb_compress_dxt_block(out, rgba, 1, STB_DXT_HIGHQUAL);
        break;
    }
}

}  // namespace

void ApplyColourKey(ImageLevel* level) {
    for (uint32_t& c : level->argb) {
        if (c == 0xff000000u) c = 0;
    }
}

ImageLevel NextMipLevel(const ImageLevel& level, bool box) {
    ImageLevel next;
    next.width = std::max(1u, level.width / 2);
    next.height = std::max(1u, level.height / 2);
    next.argb.resize(size_t(next.width) * next.height);
    for (uint32_t y = 0; y < next.height; ++y) {
        for (uint32_t x = 0; x < next.width; ++x) {
            uint32_t x0 = std::min(2 * x, level.width - 1), y0 = std::min(2 * y, level.height - 1);
            if (!box) {
                next.argb[size_t(y) * next.width + x] = level.argb[size_t(y0) * level.width + x0];
                continue;
            }
            uint32_t x1 = std::min(x0 + 1, level.width - 1), y1 = std::min(y0 + 1, level.height - 1);
            const uint32_t quad[4] = {
                level.argb[size_t(y0) * level.width + x0], level.argb[size_t(y0) * level.width + x1],
                level.argb[size_t(y1) * level.width + x0], level.argb[size_t(y1) * level.width + x1]};
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t sum = 0;
                for (uint32_t c : quad) sum += ChannelOf(c, shift);
                out |= ((sum + 2) / 4) << shift;
            }
            next.argb[size_t(y) * next.width + x] = out;
        }
    }
    return next;
}

ImageLevel NormalMapFromRed(const ImageLevel& heights) {
    ImageLevel out;
    out.width = heights.width;
    out.height = heights.height;
    out.argb.resize(heights.argb.size());
    const int w = int(heights.width), h = int(heights.height);
    auto height = [&](int x, int y) {
        x = (x % w + w) % w;
        y = (y % h + h) % h;
        return float(ChannelOf(heights.argb[size_t(y) * w + x], 16)) / 255.0f;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float dzx = 0, dzy = 0;
            for (int d = -1; d <= 1; ++d) {
                dzx += height(x - 1, y + d) - height(x + 1, y + d);
                dzy += height(x + d, y - 1) - height(x + d, y + 1);
            }
            dzx /= 6.0f;
            dzy /= 6.0f;
            float length = std::sqrt(dzx * dzx + dzy * dzy + 1.0f);
            auto toByte = [](float v) {
                return uint32_t(std::lround(std::clamp(0.5f * v + 0.5f, 0.0f, 1.0f) * 255.0f));
            };
            out.argb[size_t(y) * w + x] =
                0xff000000u | toByte(dzx / length) << 16 | toByte(dzy / length) << 8 | toByte(1.0f / length);
        }
    }
    return out;
}

bool CanWriteFormat(Format format) {
    switch (format) {
    case fmt::A8R8G8B8:
    case fmt::X8R8G8B8:
    case fmt::R5G6B5:
    case fmt::X1R5G5B5:
    case fmt::A1R5G5B5:
    case fmt::A4R4G4B4:
    case fmt::X4R4G4B4: return true;
    default: return IsCompressedFormat(format);
    }
}

void WriteLevel(const ImageLevel& pixels, Format format, uint8_t* bits, int32_t pitch) {
    if (IsCompressedFormat(format)) {
        size_t blockBytes = format == fmt::DXT1 ? 8 : 16;
        uint32_t across = (pixels.width + 3) / 4, down = (pixels.height + 3) / 4;
        for (uint32_t by = 0; by < down; ++by) {
            for (uint32_t bx = 0; bx < across; ++bx) {
                uint8_t rgba[64];
                GatherBlock(pixels, bx, by, rgba);
                CompressBlock(rgba, format, bits + size_t(by) * pitch + bx * blockBytes);
            }
        }
        return;
    }
    for (uint32_t y = 0; y < pixels.height; ++y) {
        uint8_t* row = bits + size_t(y) * pitch;
        const uint32_t* source = pixels.argb.data() + size_t(y) * pixels.width;
        for (uint32_t x = 0; x < pixels.width; ++x) {
            uint32_t c = source[x];
            if (format == fmt::A8R8G8B8 || format == fmt::X8R8G8B8) {
                if (format == fmt::X8R8G8B8) c |= 0xff000000u;
                std::memcpy(row + 4 * x, &c, 4);
            } else {
                uint16_t v = To16(c, format);
                std::memcpy(row + 2 * x, &v, 2);
            }
        }
    }
}

void WriteBlocks(const std::vector<uint8_t>& blocks, Format format, uint32_t width, uint32_t height,
                 uint8_t* bits, int32_t pitch) {
    size_t rowBytes = LevelPitch(format, width);
    uint32_t rows = LevelRows(format, height);
    for (uint32_t r = 0; r < rows && (r + 1) * rowBytes <= blocks.size(); ++r) {
        std::memcpy(bits + size_t(r) * pitch, blocks.data() + r * rowBytes, rowBytes);
    }
}

}  // namespace gfx
