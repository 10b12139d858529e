// Test floor shapes for the floor texture builds: a 62 x 31 diamond whose four corners are drawn in four
// colours, the palette that colours it, and reading a built texture back.
#pragma once

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/DataTestFiles.h"
#include "data/SpkArchive.h"
#include "gfx/Texture.h"

// Palette indices of the corner diamond; index 0 is transparent (the top-left pixel lies outside).
enum CornerIndex : std::uint8_t { kOutside = 0, kTop = 1, kRight = 2, kBottom = 3, kLeft = 4 };

// Writes the palette file "floor.pcx": entries 1 to 4 red, green, blue and yellow, the others a spread of
// colours by index, and makes it the floor palette.
inline void LoadTestPalette() {
    std::string rgb;
    for (int i = 0; i < 256; ++i) rgb += {char(i * 37), char(i * 91 + 50), char(255 - i)};
    const char corners[4][3] = {{'\xff', 0, 0}, {0, '\xff', 0}, {0, 0, '\xff'}, {'\xff', '\xff', 0}};
    for (int i = 0; i < 4; ++i) rgb.replace(std::size_t(3 * (i + 1)), 3, corners[i], 3);
    WriteTextFile("floor.pcx", std::string(128, '\0') + rgb);
    loadPcxPalette("floor.pcx");
}

// A diamond filling a 62 x 31 image; fill gives the index of pixel (x, y) inside it.
template <class Fill>
SpkShapeLayout Diamond(Fill fill) {
    SpkShapeLayout shape{62, 31, {}};
    for (int y = 0; y < 31; ++y) {
        shape.rowsTopFirst.emplace_back();
        for (int x = 0; x < 62; ++x) {
            const bool inside = std::fabs(x - 30.5f) / 31.0f + std::fabs(y - 15.0f) / 15.5f <= 1.0f;
            shape.rowsTopFirst.back().push_back(inside ? std::uint8_t(fill(x, y)) : std::uint8_t(kOutside));
        }
    }
    return shape;
}

// The diamond coloured by its nearest corner.
inline SpkShapeLayout CornerDiamond() {
    return Diamond([](int x, int y) -> std::uint8_t {
        return std::uint8_t(y < 8 ? kTop : y > 22 ? kBottom : x < 31 ? kLeft : kRight);
    });
}

// The diamond in pseudo-random indices 1 to 255, so neighbouring texels differ wildly.
inline SpkShapeLayout NoisyDiamond() {
    return Diamond([](int x, int y) { return std::uint8_t(1 + (x * 7919 + y * 104729 + x * y * 31) % 255); });
}

inline SpkArchive Archive(const std::vector<SpkShapeLayout>& shapes) {
    const std::string bytes = SpkFileBytes(shapes);
    SpkArchive archive;
    archive.loadBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return archive;
}

// The 64 x 64 pixels of a built texture, the unused top byte masked off.
inline std::vector<std::uint32_t> Pixels(const DXG::Texture& texture) {
    std::vector<std::uint32_t> pixels;
    const auto device = texture.GetDeviceTexture();
    gfx::LockedRect lock;
    if (!device || device->LockRect(0, &lock, gfx::kLockReadOnly) != gfx::Result::Ok) return pixels;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            pixels.push_back(static_cast<const std::uint32_t*>(lock.bits)[y * lock.pitch / 4 + x] & 0xFFFFFF);
    device->UnlockRect(0);
    return pixels;
}
