// The demo world generator's pieces: the floor palette and tiles, the map with its world description,
// and the small text files. Every byte comes from the code here, so the same build gives the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Little-endian writers.
void Put16(std::string& out, std::uint32_t value);

// A deterministic generator (xorshift), so no file depends on the C library.
struct Random {
    std::uint32_t state;
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float Unit() { return float(Next() >> 8) / float(1u << 24); }
};

// The floor tiles, by floor number.
enum Tile : std::uint16_t {
    kGrass,
    kFlowers,
    kForest,
    kSand,
    kDirt,
    kCobble,
    kSlate,
    kMarble,
    kBrick,
    kWood,
    kWater,
    kDeepWater,
    kSnow,
    kIce,
    kLava,
    kMoss,
    kClay,
    kCarpet,
    kTileCount
};
const char* TileName(int tile);
bool TileBlocked(int tile);

// "meadow.pcx": a 16 x 16 swatch of every palette index, with the 256-colour palette at its end.
std::string MakePalettePcx();
// "floors.spk": kTileCount shapes of 62 x 31 diamonds in the palette's indices (index 0 outside).
std::string MakeFloorArchive();

// Objects on the map, by object number.
enum Object : std::uint16_t {
    kNoObject,
    kTree,
    kRock,
    kFountain,
    kLamp,
    kBench,
    kSignpost,
    kBush,
    kObjectCount
};
const char* ObjectName(int object);
bool ObjectSolid(int object);

struct DemoMap {
    std::string mapFile;    // the bytes of maps/meadowcross.map
    std::string worldFile;  // the bytes of server/world.txt
};
DemoMap MakeMap();

}  // namespace demo
