// Shared pieces of the world pass tests: an empty map around the player, the avatar colour tables and the
// small image files (a one-colour wall bitmap, a label font) that the passes load.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/ColorTables.h"
#include "data/DataTestFiles.h"
#include "net/VelmDataManager.h"
#include "world/VelmRenderer.h"

namespace worldtest {

// A square map of side 2 * half without floors, objects or walls, the player at (cx, cy), taken into the
// window by one camera update.
inline void EmptyMap(int half, int cx, int cy) {
    const std::string bytes = MapFileBytes(half, half);
    CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "m");
    for (int y = 0; y < 2 * half; ++y) {
        for (int x = 0; x < 2 * half; ++x) {
            setFloor(x, y, 0xFFFF);
            setObject(x, y, 0);
            setWallLowX(x, y, 0);
            setWallLowY(x, y, 0);
        }
    }
    SetPlayerPosition(cx, cy);
    updateCamera(0.0f);
}

inline void FillFloors(int side, std::uint16_t floor) {
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) setFloor(x, y, floor);
    }
}

// Fur entries 0, 5 and 63 and vest entries 0, 9 and 63 get distinct colours; the other entries stay 0.
inline constexpr std::uint32_t kFur0 = 0x102030, kFur5 = 0x405060, kFur63 = 0x708090;
inline constexpr std::uint32_t kVest0 = 0xA0B0C0, kVest9 = 0xD0E0F0, kVest63 = 0x0F1F2F;
inline void LoadTestColours() {
    WriteTextFile(
        "data/colors/colors.txt",
        "f0 16 32 48\nf5 64 80 96\nf63 112 128 144\nv0 160 176 192\nv9 208 224 240\nv63 15 31 47\nEnd\n");
    WriteTextFile("data/colors/fur.txt", "0 f0\n5 f5\n63 f63\n-1\n");
    WriteTextFile("data/colors/vest.txt", "0 v0\n9 v9\n63 v63\n-1\n");
    loadColorTables();
}

inline void Put(std::string& out, std::uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i));
}

// A 24-bit bitmap of one colour (0x00RRGGBB).
inline void WriteSolidBmp(const std::filesystem::path& path, std::uint32_t size, std::uint32_t rgb) {
    const std::uint32_t rowBytes = (size * 3 + 3) & ~3u;
    std::string out = "BM";
    for (std::uint32_t v : {54 + rowBytes * size, 0u, 54u, 40u, size, size}) Put(out, v);
    Put(out, 1, 2);
    Put(out, 24, 2);
    out.append(24, '\0');
    for (std::uint32_t y = 0; y < size; ++y) {
        for (std::uint32_t x = 0; x < size; ++x) Put(out, rgb, 3);
        out.append(rowBytes - size * 3, '\0');
    }
    WriteTextFile(path, out);
}

// A one-level A8R8G8B8 texture file of side x side pixels, pixel (x, y) = argb(x, y).
template <class Argb>
void WriteDds(const std::filesystem::path& path, std::uint32_t side, Argb argb) {
    const std::uint32_t header[31] = {124, 0x100f, side, side, side * 4, 0,      1,    0,           0,
                                      0,   0,      0,    0,    0,        0,      0,    0,           0,
                                      32,  0x41,   0,    32,   0xff0000, 0xff00, 0xff, 0xff000000u, 0x1000};
    std::string out = "DDS ";
    for (std::uint32_t v : header) Put(out, v);
    for (int y = 0; y < int(side); ++y) {
        for (int x = 0; x < int(side); ++x) Put(out, argb(x, y));
    }
    WriteTextFile(path, out);
}

// A 256 x 256 font whose only visible glyph is an opaque white block filling the cell of glyph.
inline void WriteBlockFont(const std::filesystem::path& path, char glyph) {
    const int n = glyph - 0x20, cellX = (n % 10) * 24, cellY = (n / 10) * 24;
    WriteDds(path, 256, [&](int x, int y) {
        const bool inside = x >= cellX && x < cellX + 24 && y >= cellY && y < cellY + 24;
        return inside ? 0xFFFFFFFFu : 0x00FFFFFFu;
    });
}

}  // namespace worldtest
