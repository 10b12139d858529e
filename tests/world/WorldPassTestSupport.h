// Shared pieces of the world tests: an empty map, avatar colour tables and image files of known colours.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "data/ColorTables.h"
#include "data/DataTestFiles.h"
#include "gfx/DdsWriter.h"
#include "net/VelmDataManager.h"
#include "testing/DxgTesting.h"
#include "world/VelmRenderer.h"

namespace worldtest {

// A square map of side 2 * half without floors, objects or walls, the player at (cx, cy) in the window.
inline void EmptyMap(int half, int cx, int cy) {
    const std::string bytes = MapFileBytes(half, half);
    CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "m");
    for (int y = 0; y < 2 * half; ++y) {
        for (int x = 0; x < 2 * half; ++x) {
            setFloor(x, y, 0xFFFF), setObject(x, y, 0), setWallLowX(x, y, 0), setWallLowY(x, y, 0);
        }
    }
    SetPlayerPosition(cx, cy);
    updateCamera(0.0f);
}

// Where the last drawn frame put a world point on the screen.
inline gfx::Vector3 ScreenOf(float x, float y, float z = 0) {
    gfx::Vector3 s;
    DXG::WorldToScreen({x, y, z}, &s.x, &s.y);
    return s;
}

// Fur entries 0, 5 and 63 and vest entries 0, 9 and 63 get distinct colours; the other entries stay 0.
inline constexpr std::uint32_t kFur0 = 0x102030, kFur5 = 0x405060, kFur63 = 0x708090, kVest0 = 0xA0B0C0,
                               kVest9 = 0xD0E0F0;
inline void LoadTestColours() {
    WriteTextFile("data/colors/colors.txt",
                  "f0 16 32 48 f5 64 80 96 f63 112 128 144 v0 160 176 192 v9 208 224 240 v63 15 31 47 End\n");
    WriteTextFile("data/colors/fur.txt", "0 f0 5 f5 63 f63 -1\n");
    WriteTextFile("data/colors/vest.txt", "0 v0 9 v9 63 v63 -1\n");
    loadColorTables();
}

// A one-level A8R8G8B8 (X8R8G8B8 without alpha) image file; the loader reads it under a .bmp name too.
template <class Argb>
void WriteImage(const std::filesystem::path& path, std::uint32_t side, Argb argb, bool alpha = true) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < int(side); ++y)
        for (int x = 0; x < int(side); ++x) pixels.push_back(argb(x, y));
    WriteTextFile(path, gfx::DdsArgbFile(side, side, pixels, alpha));
}

// A 256 x 256 font whose only visible glyph is an opaque white block filling the cell of glyph.
inline void WriteBlockFont(const std::filesystem::path& path, char glyph) {
    const int n = glyph - 0x20, cellX = (n % 10) * 24, cellY = (n / 10) * 24;
    WriteImage(path, 256, [&](int x, int y) {
        const bool inside = x >= cellX && x < cellX + 24 && y >= cellY && y < cellY + 24;
        return inside ? 0xFFFFFFFFu : 0x00FFFFFFu;
    });
}

}  // namespace worldtest
