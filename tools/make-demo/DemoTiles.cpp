// The demo floor palette (a PCX image of our own) and the floor tiles drawn in it as 62 x 31 diamonds.
#include <algorithm>
#include <cmath>

#include "Demo.h"

namespace demo {

namespace {

constexpr int kShades = 14;  // palette entries per colour ramp
constexpr int kWidth = 62, kHeight = 31;

struct Ramp {
    int dark[3], light[3];
};

// One ramp per material, dark to light; ramp r fills palette indices 1 + 14 r .. 14 + 14 r.
enum RampId {
    rGrass,
    rForest,
    rYellow,
    rSand,
    rDirt,
    rCobble,
    rSlate,
    rMarble,
    rBrick,
    rWood,
    rWater,
    rDeep,
    rSnow,
    rIce,
    rLava,
    rMoss,
    rClay,
    rCarpet,
    kRampCount
};
constexpr Ramp kRamps[kRampCount] = {
    {{40, 90, 30}, {120, 190, 70}},     {{20, 50, 25}, {70, 110, 55}},      {{170, 140, 20}, {255, 240, 120}},
    {{170, 140, 90}, {245, 225, 170}},  {{80, 55, 35}, {160, 120, 80}},     {{70, 70, 75}, {170, 170, 170}},
    {{50, 60, 80}, {130, 140, 165}},    {{170, 170, 175}, {250, 250, 245}}, {{110, 40, 30}, {200, 95, 70}},
    {{90, 55, 25}, {190, 135, 80}},     {{30, 90, 150}, {110, 180, 230}},   {{10, 30, 80}, {40, 80, 150}},
    {{190, 200, 215}, {255, 255, 255}}, {{120, 180, 210}, {210, 240, 255}}, {{150, 30, 0}, {255, 200, 40}},
    {{50, 80, 30}, {130, 150, 60}},     {{140, 70, 40}, {215, 130, 85}},    {{70, 20, 80}, {160, 60, 150}}};

struct TileInfo {
    const char* name;
    bool blocked;
};
constexpr TileInfo kTiles[kTileCount] = {{"grass", false},
                                         {"a flower meadow", false},
                                         {"the forest floor", false},
                                         {"sand", false},
                                         {"a dirt path", false},
                                         {"cobblestones", false},
                                         {"slate flags", false},
                                         {"marble tiles", false},
                                         {"brick paving", false},
                                         {"wooden planks", false},
                                         {"shallow water", false},
                                         {"deep water", true},
                                         {"snow", false},
                                         {"ice", false},
                                         {"lava", true},
                                         {"moss", false},
                                         {"baked clay", false},
                                         {"a purple carpet", false}};

std::uint8_t Index(int ramp, float shade) {
    const int s = std::clamp(int(std::lround(shade)), 0, kShades - 1);
    return std::uint8_t(1 + ramp * kShades + s);
}

// Hash noise on an integer lattice, 0..1, and its smooth interpolation.
float Lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}
float Smooth(float x, float y, std::uint32_t seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float tx = x - float(x0), ty = y - float(y0);
    const auto s = [](float t) { return t * t * (3 - 2 * t); };
    const float a = Lattice(x0, y0, seed) + (Lattice(x0 + 1, y0, seed) - Lattice(x0, y0, seed)) * s(tx);
    const float b =
        Lattice(x0, y0 + 1, seed) + (Lattice(x0 + 1, y0 + 1, seed) - Lattice(x0, y0 + 1, seed)) * s(tx);
    return a + (b - a) * s(ty);
}

// Distance from (s, t) to the nearest edge of its cell in a grid of n x n cells, in cell units.
float EdgeDistance(float s, float t, float n) {
    const float fs = s * n - std::floor(s * n), ft = t * n - std::floor(t * n);
    return std::min({fs, 1 - fs, ft, 1 - ft});
}

// The palette index of tile at (s, t) of the tile's square (0..1 each), with per-pixel grain.
std::uint8_t Paint(int tile, float s, float t, Random& random) {
    const float grain = random.Unit();
    const float n = Smooth(s * 6, t * 6, std::uint32_t(tile) + 1);
    switch (tile) {
    case kGrass: return Index(rGrass, 4 + 6 * n + 4 * grain);
    case kFlowers:
        if (grain > 0.94f) return Index(rYellow, 9 + 4 * n);
        if (grain > 0.91f) return Index(rMarble, 13);
        return Index(rGrass, 5 + 5 * n + 3 * random.Unit());
    case kForest:
        if (grain > 0.9f) return Index(rDirt, 3 + 4 * n);
        return Index(rForest, 2 + 8 * n + 3 * random.Unit());
    case kSand: return Index(rSand, 5 + 3 * std::sin((t + 0.3f * n) * 40) + 3 * grain);
    case kDirt:
        return grain > 0.95f ? Index(rCobble, 8 + 4 * n) : Index(rDirt, 3 + 7 * n + 3 * random.Unit());
    case kCobble: {
        const float w = s * 4 + 0.3f * Smooth(s * 8, t * 8, 77), v = t * 4 + 0.3f * Smooth(t * 8, s * 8, 78);
        const float edge = EdgeDistance(w / 4, v / 4, 4);
        const float stone = Lattice(int(w), int(v), 5);
        return edge < 0.12f ? Index(rCobble, 1 + 2 * grain) : Index(rCobble, 5 + 6 * stone + 2 * grain);
    }
    case kSlate: {
        const float flag = Lattice(int(s * 2), int(t * 2), 9);
        return EdgeDistance(s, t, 2) < 0.05f ? Index(rSlate, 1) : Index(rSlate, 4 + 6 * flag + 2 * grain);
    }
    case kMarble: {
        const bool dark = (int(s * 2) + int(t * 2)) % 2 == 1;
        const float vein = std::fabs(std::sin((s + t + 0.4f * n) * 18));
        return Index(rMarble, (dark ? 4 : 10) + 2 * grain - (vein < 0.08f ? 3 : 0));
    }
    case kBrick: {
        const int row = int(t * 6);
        const float shifted = s * 3 + (row % 2) * 0.5f;
        const float fs = shifted - std::floor(shifted), ft = t * 6 - float(row);
        if (fs < 0.06f || ft < 0.1f) return Index(rCobble, 9);
        return Index(rBrick, 4 + 5 * Lattice(int(shifted), row, 3) + 3 * grain);
    }
    case kWood: {
        const int plank = int(s * 5);
        const float fs = s * 5 - float(plank);
        if (fs < 0.08f) return Index(rWood, 0);
        const float ring = std::sin((t * 30 + 7 * Lattice(plank, 0, 4)) + 3 * n);
        return Index(rWood, 6 + 3 * ring + 3 * Lattice(plank, 1, 4) + grain);
    }
    case kWater:
    case kDeepWater: {
        const float wave = std::sin((s * 3 + t) * 12 + 4 * n) * std::sin((t * 3 - s) * 9);
        const int ramp = tile == kWater ? rWater : rDeep;
        return Index(ramp, 6 + 4 * wave + 2 * grain + (wave > 0.85f ? 4 : 0));
    }
    case kSnow: return Index(rSnow, 8 + 4 * n + 2 * grain);
    case kIce: {
        const float crack = std::fabs(std::sin((s * 2 - t) * 9 + 5 * n));
        return Index(rIce, crack < 0.05f ? 2 : 8 + 3 * n + 2 * grain);
    }
    case kLava: {
        const float flow = Smooth(s * 5 + 3, t * 5, 55);
        return flow > 0.55f ? Index(rLava, 8 + 6 * (flow - 0.55f) * 2 + 2 * grain)
                            : Index(rDirt, 1 + 2 * grain);
    }
    case kMoss: return Index(rMoss, 3 + 9 * Smooth(s * 10, t * 10, 31) + 2 * grain);
    case kClay: {
        const float edge = EdgeDistance(s + 0.2f * n, t, 3);
        return Index(rClay, edge < 0.04f ? 1 : 6 + 4 * n + 2 * grain);
    }
    default: {
        // Carpet: a diamond pattern inside a light border.
        const float border = std::min({s, 1 - s, t, 1 - t});
        if (border < 0.08f) return Index(rYellow, 10);
        const float d = std::fabs(s - 0.5f) + std::fabs(t - 0.5f);
        return Index(rCarpet, (int(d * 8) % 2 == 0 ? 9 : 5) + 2 * grain);
    }
    }
}

}  // namespace

const char* TileName(int tile) {
    return tile >= 0 && tile < kTileCount ? kTiles[tile].name : "?";
}
bool TileBlocked(int tile) {
    return tile >= 0 && tile < kTileCount && kTiles[tile].blocked;
}

void Put16(std::string& out, std::uint32_t value) {
    out.push_back(char(value & 255));
    out.push_back(char(value >> 8 & 255));
}

std::string MakePalettePcx() {
    std::uint8_t palette[768] = {};  // index 0 stays black: the floor tiles' transparent index
    for (int r = 0; r < kRampCount; ++r) {
        for (int k = 0; k < kShades; ++k) {
            const float f = float(k) / float(kShades - 1);
            for (int c = 0; c < 3; ++c) {
                const float v =
                    float(kRamps[r].dark[c]) + (float(kRamps[r].light[c] - kRamps[r].dark[c])) * f;
                palette[(1 + r * kShades + k) * 3 + c] = std::uint8_t(std::lround(v));
            }
        }
    }
    for (int i = 1 + kRampCount * kShades; i < 256; ++i) {
        palette[i * 3] = palette[i * 3 + 1] = palette[i * 3 + 2] = std::uint8_t(64 + (i - 253) * 64);
    }
    // 128-byte header: 8 bits per pixel, one plane, run-length encoded, 16 x 16 pixels.
    std::string out(128, '\0');
    out[0] = 10;  // manufacturer
    out[1] = 5;   // version with a 256-colour palette
    out[2] = 1;   // run-length encoding
    out[3] = 8;   // bits per pixel
    std::string header;
    for (int v : {0, 0, 15, 15, 72, 72}) Put16(header, std::uint32_t(v));  // window and resolution
    std::copy(header.begin(), header.end(), out.begin() + 4);
    out[65] = 1;   // planes
    out[66] = 16;  // bytes per line
    out[68] = 1;   // colour palette
    // Pixels: row y holds indices 16 y .. 16 y + 15; values of 192 and above need a run byte.
    for (int i = 0; i < 256; ++i) {
        if (i >= 192) out.push_back(char(0xC1));
        out.push_back(char(i));
    }
    out.push_back(12);  // the palette follows
    out.append(reinterpret_cast<const char*>(palette), sizeof palette);
    return out;
}

std::string MakeFloorArchive() {
    std::string out;
    Put16(out, kTileCount);
    for (int k = 0; k < kTileCount; ++k) Put16(out, 4 + kWidth * kHeight);  // record sizes (not read)
    Random random{0x0f100125u};
    for (int tile = 0; tile < kTileCount; ++tile) {
        std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight, 0);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const float u = (float(x) + 0.5f - kWidth / 2.0f) / (kWidth / 2.0f);
                const float v = (float(y) + 0.5f - kHeight / 2.0f) / (kHeight / 2.0f);
                if (std::fabs(u) + std::fabs(v) > 1.0f) continue;
                // The diamond's corners: top (s, t) = (0, 0), right (1, 0), bottom (1, 1), left (0, 1).
                const float s = std::clamp((1 + u + v) / 2, 0.0f, 0.999f);
                const float t = std::clamp((1 - u + v) / 2, 0.0f, 0.999f);
                pixels[std::size_t(y) * kWidth + x] = Paint(tile, s, t, random);
            }
        }
        out.push_back(char(kWidth));
        out.push_back(char(kHeight));
        out.push_back(0);
        out.push_back(0);
        for (int y = kHeight - 1; y >= 0; --y) {  // bottom row first
            out.append(reinterpret_cast<const char*>(&pixels[std::size_t(y) * kWidth]), kWidth);
        }
    }
    return out;
}

}  // namespace demo
