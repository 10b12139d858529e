// Writes DDS files: the one writer that the asset generator, the tests and the fuzz targets use, so the
// header is laid out in one place. Header-only, so that a build tool can use it without linking the
// graphics layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gfx {

// An uncompressed, one-level A8R8G8B8 DDS file of width x height pixels (ARGB words, top row first;
// missing pixels are written as 0); without alpha, an X8R8G8B8 one.
inline std::string DdsArgbFile(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                               bool alpha = true) {
    std::string out = "DDS ";
    auto put = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out += char(uint8_t(v >> (8 * i)));
    };
    put(124);                             // header size
    put(0x1 | 0x2 | 0x4 | 0x8 | 0x1000);  // caps, height, width, pitch and pixel format are given
    put(height);
    put(width);
    put(width * 4);                       // pitch
    put(0);                               // depth
    put(1);                               // mip levels
    for (int i = 0; i < 11; ++i) put(0);  // reserved
    put(32);                              // pixel format size
    put(alpha ? 0x1 | 0x40 : 0x40);       // alpha pixels, RGB
    put(0);                               // no four-character code
    put(32);                              // bits per pixel
    put(0x00ff0000);                      // red, green, blue and alpha masks
    put(0x0000ff00);
    put(0x000000ff);
    put(alpha ? 0xff000000 : 0);
    put(0x1000);                         // a texture
    for (int i = 0; i < 4; ++i) put(0);  // no cube map or volume
    const size_t pixels = size_t(width) * height;
    for (size_t i = 0; i < pixels; ++i) put(i < argb.size() ? argb[i] : 0);
    return out;
}

}  // namespace gfx
