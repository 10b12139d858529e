// The worlds whose pictures are the drawing's contract, shared by the picture test and the frame
// benchmark: the busy bench world, the demo world around its start cell, a small world of translucent
// pieces over each other, and the bench's full chat window. Each is built in the working folder, which holds
// a copy of the build's game folder (the generated font, wall, dream and demo files). Header only: the
// benchmarks include it too.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/ColorTables.h"
#include "data/PcxPalette.h"
#include "data/SpkArchive.h"
#include "data/WorldMap.h"
#include "gfx/CTextWindow.h"
#include "gfx/DXG.h"
#include "net/VelmDataManager.h"
#include "world/FloorTextures.h"
#include "world/VelmRenderer.h"

namespace reference {

// One opaque 64 x 64 texture of a smooth colour ramp, different for each seed.
inline bool RampTexture(DXG::Texture& texture, int seed) {
    if (!texture.Create(64, 64, DXG::OPAQUE)) return false;
    gfx::LockedRect rect;
    if (!gfx::Succeeded(texture.GetDeviceTexture()->LockRect(0, &rect, gfx::kLockNone))) return false;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            static_cast<std::uint32_t*>(rect.bits)[y * rect.pitch / 4 + x] =
                0xFF000000u | std::uint32_t((x * 4 + seed * 16) << 16 | (y * 4) << 8 | (seed * 15));
        }
    }
    texture.GetDeviceTexture()->UnlockRect(0);
    return true;
}

// A square map of side 2 * half from bytes, every cell then set by the caller.
inline void BlankMap(int half) {
    const std::string map = "MAP V01.10 Velmoria\nheight=" + std::to_string(half) +
                            "\nwidth=" + std::to_string(half) + "\nBODY\n" +
                            std::string(std::size_t(6 * half * half), '\0');
    CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(map.data()), map.size(), "reference.map");
}

// The bench world: a 60 x 60 map of floors from 16 textures, walls on both low edges of every cell, an
// object on every other cell, the hover square, 100 avatars and 20 labelled dream markers around the
// player's cell (30, 30): a full 31 x 31 window.
inline bool BuildBenchWorld(std::vector<DXG::Texture>& floorTextures) {
    constexpr int kHalf = 30, kCentre = 30;
    BlankMap(kHalf);
    for (int y = 0; y < 2 * kHalf; ++y) {
        for (int x = 0; x < 2 * kHalf; ++x) {
            setFloor(x, y, std::uint16_t((x * 7 + y * 3) % 16));
            setObject(x, y, (x + y) % 2 ? 12 : 0);
            setWallLowX(x, y, 1);
            setWallLowY(x, y, 1);
        }
    }
    floorTextures = std::vector<DXG::Texture>(16);
    for (int i = 0; i < 16; ++i)
        if (!RampTexture(floorTextures[i], i)) return false;
    loadColorTables();
    createWorldRenderers();
    setFloorTextures(floorTextures);
    SetPlayerPosition(kCentre, kCentre);
    updateCamera(0.0f);
    setHoverCell(kCentre - 2, kCentre - 1);
    for (int i = 0; i < 100; ++i) {
        CharacterRecord avatar;
        avatar.x = kCentre - 15 + (i * 7) % 31;
        avatar.y = kCentre - 15 + (i * 13) % 31;
        avatar.direction = i % 4;
        avatar.colors[0] = std::int8_t(i % 64);
        avatar.colors[5] = std::int8_t((i * 3) % 64);
        AddCharacter(avatar);
    }
    for (int i = 0; i < 20; ++i) {
        AddDreamMarker({kCentre - 14 + (i * 11) % 29, kCentre - 14 + (i * 5) % 29,
                        "Dream " + std::to_string(i), "made by dreamer" + std::to_string(i)});
    }
    return true;
}

// The bench world's floors alone: the same map and textures, no walls, objects, avatars or markers.
inline bool BuildFloorWorld(std::vector<DXG::Texture>& floorTextures) {
    if (!BuildBenchWorld(floorTextures)) return false;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            setObject(x, y, 0);
            setWallLowX(x, y, 0);
            setWallLowY(x, y, 0);
        }
    }
    RemoveAllCharacters();
    RemoveAllDreamMarkers();
    setHoverCell(-100, -100);
    return true;
}

// The demo world as a newcomer sees it on arrival: its palette, map and floor archive, the camera on the
// start cell and the dream markers labelled as the game server sends them (first word, then the rest
// without blanks). The walking bots are left out: where they stand depends on time.
inline bool BuildDemoWorld(std::vector<DXG::Texture>& floorTextures) {
    std::ifstream world("server/world.txt");
    std::vector<DreamMarkerRecord> markers;
    std::int32_t startX = -1, startY = -1;
    for (std::string line; std::getline(world, line);) {
        std::istringstream words(line);
        std::string kind, id, first, rest;
        words >> kind;
        if (kind == "start") words >> startX >> startY;
        if (kind != "dream") continue;
        DreamMarkerRecord marker;
        words >> marker.x >> marker.y >> id >> marker.line1;
        while (words >> rest) marker.line2 += rest;
        markers.push_back(marker);
    }
    if (startX < 0 || !loadMapFile("maps\\meadowcross.map")) return false;
    loadPcxPalette("patches\\default\\meadow.pcx");
    loadColorTables();
    SpkArchive archive;
    if (!archive.load("patches\\default\\floors.spk") || !BuildFloorTextures(archive, floorTextures))
        return false;
    createWorldRenderers();
    setFloorTextures(floorTextures);
    SetPlayerPosition(startX, startY);
    updateCamera(0.0f);
    setHoverCell(-100, -100);
    for (const DreamMarkerRecord& marker : markers) AddDreamMarker(marker);
    return true;
}

// Translucent pieces over each other on one floor: the hover square under two avatars whose rear corners
// overlap, dream cylinders in front of and behind avatars and of each other, a wall behind them.
inline bool BuildTranslucentWorld(std::vector<DXG::Texture>& floorTextures) {
    constexpr int kHalf = 10, kCentre = 10;
    BlankMap(kHalf);
    for (int y = 0; y < 2 * kHalf; ++y)
        for (int x = 0; x < 2 * kHalf; ++x) setFloor(x, y, std::uint16_t((x + y) % 2));
    setWallLowX(kCentre - 3, kCentre - 2, 1);
    setWallLowY(kCentre - 2, kCentre - 3, 1);
    floorTextures = std::vector<DXG::Texture>(2);
    for (int i = 0; i < 2; ++i)
        if (!RampTexture(floorTextures[i], 3 + 7 * i)) return false;
    loadColorTables();
    createWorldRenderers();
    setFloorTextures(floorTextures);
    SetPlayerPosition(kCentre, kCentre);
    updateCamera(0.0f);
    setHoverCell(kCentre - 1, kCentre - 1);
    const int cells[][3] = {{-1, -1, 0}, {-1, -1, 3}, {0, -1, 1}, {-1, 0, 2}, {-2, -2, 0}, {0, 0, 3}};
    for (int i = 0; i < 6; ++i) {
        CharacterRecord avatar;
        avatar.x = kCentre + cells[i][0];
        avatar.y = kCentre + cells[i][1];
        avatar.direction = cells[i][2];
        avatar.colors[0] = std::int8_t(i * 9 % 64);
        avatar.colors[5] = std::int8_t(i * 23 % 64);
        AddCharacter(avatar);
    }
    AddDreamMarker({kCentre - 1, kCentre - 2, "Near", "one"});
    AddDreamMarker({kCentre - 2, kCentre - 1, "Far", "two"});
    AddDreamMarker({kCentre - 1, kCentre - 1, "Hover", "three"});
    AddDreamMarker({kCentre - 3, kCentre - 3, "Back", "four"});
    return true;
}

// Line n of the bench chat: its number, then letters up to 87 characters, a full line of the window.
inline std::string BenchChatLine(int n) {
    std::string line = "[" + std::to_string(n) + "] ";
    while (line.size() < 87) line += char('a' + (line.size() * 7 + n) % 26);
    return line;
}

// The bench chat window: 700 x 250 at (50, 300), 100 lines added, the last 20 visible.
inline std::unique_ptr<CTextWindow> BenchChat() {
    auto chat = std::make_unique<CTextWindow>(50.0f, 300.0f, 700.0f, 250.0f, 100);
    for (int i = 0; i < 100; ++i) chat->AddText(BenchChatLine(i));
    return chat;
}

}  // namespace reference
