// The demo map, Meadowcross, and the stand-in server's description of it. The map is designed on the
// square grid the client draws (a plaza with a fountain, four roads, a forest, a pond with a pier, a
// flower meadow with a walled house, a snow field with a frozen pond and a forge) and then written in
// the file's staggered layout.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "Demo.h"

namespace demo {

namespace {

constexpr int kFileWidth = 64, kFileHeight = 128;  // every file cell lands inside the grid
constexpr int kSide = kFileWidth + kFileHeight;
constexpr int kCentre = 64;  // grid x and y of the plaza's fountain (file cell 32, 64)

struct Cell {
    std::uint16_t floor = kGrass, object = kNoObject;
    std::uint8_t wallLowX = 0, wallLowY = 0;
};

struct Marker {
    int dx, dy;
    const char* id;
    const char* label;
};
constexpr Marker kMarkers[] = {{-4, 1, "crystal-caves", "Crystal Caves"},
                               {6, -16, "sunken-library", "Sunken Library"},
                               {7, 7, "star-tower", "Star Tower"},
                               {-7, 9, "frost-hall", "Frost Hall"}};

void FileToGrid(int x, int y, int& gx, int& gy) {
    gx = x + y / 2;
    gy = kFileHeight / 2 + (y + 1) / 2 - x;
}
void GridToFile(int gx, int gy, int& x, int& y) {
    const int t = gy - kFileHeight / 2;
    x = ((gx - t) * 2 + 2) / 4;
    y = t + gx;
}

float Hash(int x, int y, std::uint32_t seed) {
    Random random{std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u ^ (seed * 83492791u) ^
                  0x9e3779b9u};
    random.Next();
    return random.Unit();
}

float Distance(int dx, int dy, int cx, int cy) {
    return std::sqrt(float((dx - cx) * (dx - cx) + (dy - cy) * (dy - cy)));
}

// The ground of the grid cell (dx, dy) from the fountain, before paths, buildings and objects.
Cell Ground(int dx, int dy) {
    Cell cell;
    if (std::abs(dx) <= 2 && std::abs(dy) <= 2) {
        cell.floor = kMarble;
    } else if (std::abs(dx) <= 3 && std::abs(dy) <= 3) {
        cell.floor = kSlate;
    } else if (std::abs(dx) <= 1 || std::abs(dy) <= 1) {
        cell.floor = kCobble;
    } else if (dx < -4 && dy < -4) {  // the forest
        cell.floor = Hash(dx / 3, dy / 3, 1) < 0.3f ? kMoss : kForest;
        const float r = Hash(dx, dy, 2);
        cell.object = r < 0.12f ? kTree : r < 0.16f ? kBush : kNoObject;
    } else if (dx > 4 && dy < -4) {  // the pond
        const float r = Distance(dx, dy, 16, -16);
        cell.floor = r < 5 ? kDeepWater : r < 8 ? kWater : r < 10.5f ? kSand : kGrass;
        if (cell.floor == kSand && Hash(dx, dy, 3) < 0.1f) cell.object = kRock;
    } else if (dx > 4 && dy > 4) {  // the meadow
        cell.floor = Hash(dx / 2, dy / 2, 4) < 0.6f ? kFlowers : kGrass;
        if (Hash(dx, dy, 5) < 0.04f) cell.object = kBush;
    } else if (dx < -4 && dy > 4) {  // the snow field
        const float ice = Distance(dx, dy, -16, 12), forge = Distance(dx, dy, -10, 26);
        cell.floor = ice < 6 ? kIce : forge < 2 ? kLava : forge < 5 ? kClay : kSnow;
        if (cell.floor == kSnow && Hash(dx, dy, 6) < 0.05f) cell.object = kRock;
    } else if (Hash(dx, dy, 7) < 0.02f) {
        cell.object = kBush;
    }
    return cell;
}

class Grid {
public:
    Grid() : m_cells(std::size_t(kSide) * kSide) {}
    Cell& at(int dx, int dy) {
        return m_cells[std::size_t(dy + kCentre) * kSide + std::size_t(dx + kCentre)];
    }

private:
    std::vector<Cell> m_cells;
};

void Lay(Grid& grid, int dx0, int dy0, int dx1, int dy1, std::uint16_t floor) {
    for (int dy = std::min(dy0, dy1); dy <= std::max(dy0, dy1); ++dy) {
        for (int dx = std::min(dx0, dx1); dx <= std::max(dx0, dx1); ++dx) {
            grid.at(dx, dy).floor = floor;
            grid.at(dx, dy).object = kNoObject;
        }
    }
}

void Build(Grid& grid) {
    for (int dy = -kCentre; dy < kSide - kCentre; ++dy) {
        for (int dx = -kCentre; dx < kSide - kCentre; ++dx) grid.at(dx, dy) = Ground(dx, dy);
    }
    grid.at(0, 0).object = kFountain;
    for (int sx : {-3, 3}) {
        for (int sy : {-3, 3}) grid.at(sx, sy).object = kLamp;
    }
    for (int d = 10; d <= 50; d += 8) {  // lamps along the roads
        grid.at(2, d).object = grid.at(-2, -d).object = grid.at(d, -2).object = grid.at(-d, 2).object = kLamp;
    }
    grid.at(2, 5).object = kSignpost;
    grid.at(-2, 2).object = grid.at(2, -2).object = kBench;
    // Dirt paths from the road to each dream marker, straight along grid x then grid y.
    for (const Marker& m : kMarkers) {
        Lay(grid, m.dx, 2 * (m.dy > 0) - 1, m.dx, m.dy, kDirt);
    }
    // A pier into the pond.
    Lay(grid, 16, -6, 16, -13, kWood);
    // The house in the meadow: carpet inside walls, a door toward the plaza, a wooden porch, a brick yard.
    Lay(grid, 11, 10, 16, 15, kCarpet);
    for (int dy = 10; dy <= 15; ++dy) {
        if (dy != 12) grid.at(11, dy).wallLowX = 1;
        grid.at(17, dy).wallLowX = 1;
    }
    for (int dx = 11; dx <= 16; ++dx) grid.at(dx, 10).wallLowY = grid.at(dx, 16).wallLowY = 1;
    grid.at(15, 11).object = kBench;
    Lay(grid, 9, 11, 10, 13, kWood);
    Lay(grid, 18, 3, 23, 8, kBrick);
    // A low garden wall south of the house.
    for (int dx = 8; dx <= 16; ++dx) grid.at(dx, 22).wallLowY = 1;
}

std::string EncodeMap(Grid& grid) {
    std::string out = "MAP V01.10 Velmoria\nheight=" + std::to_string(kFileHeight) +
                      "\nwidth=" + std::to_string(kFileWidth) + "\nname=Meadowcross\nBODY\n";
    const auto cell = [&](int x, int y) -> Cell& {
        int gx = 0, gy = 0;
        FileToGrid(x, y, gx, gy);
        return grid.at(gx - kCentre, gy - kCentre);
    };
    for (int x = 0; x < kFileWidth; ++x) {
        for (int y = 0; y < kFileHeight; ++y) Put16(out, cell(x, y).floor);
    }
    for (int x = 0; x < kFileWidth; ++x) {
        for (int y = 0; y < kFileHeight; ++y) Put16(out, cell(x, y).object);
    }
    for (int x = 0; x < kFileWidth; ++x) {
        for (int y = 0; y < kFileHeight; ++y) out.push_back(char(cell(x, y).wallLowX));
        for (int y = 0; y < kFileHeight; ++y) out.push_back(char(cell(x, y).wallLowY));
    }
    return out;
}

std::string FileCell(int dx, int dy) {
    int x = 0, y = 0;
    GridToFile(dx + kCentre, dy + kCentre, x, y);
    return std::to_string(x) + " " + std::to_string(y);
}

std::string Colours(std::initializer_list<int> indices) {
    std::string code;
    for (int index : indices) code.push_back(char(32 + index));
    return code;
}

std::string DescribeWorld() {
    std::ostringstream out;
    out << "# Meadowcross: the world of velm-server game, written by make-demo.\n"
        << "greeting Welcome to Meadowcross, the VelmView demo world.\n"
        << "greeting Type and press Enter to talk; /name text whispers; :text acts.\n"
        << "greeting Walk with the arrow keys, turn with Insert and Delete, click a cell to look at it.\n"
        << "palette meadow.pcx\n"
        << "map maps\\meadowcross.map\n"
        << "start " << FileCell(0, 3) << "\n";
    for (int tile = 0; tile < kTileCount; ++tile) {
        out << "floor " << tile << (TileBlocked(tile) ? " blocked " : " ") << TileName(tile) << "\n";
    }
    for (int object = 1; object < kObjectCount; ++object) {
        out << "object " << object << (ObjectSolid(object) ? " solid " : " ") << ObjectName(object) << "\n";
    }
    for (const Marker& m : kMarkers)
        out << "dream " << FileCell(m.dx, m.dy) << " " << m.id << " " << m.label << "\n";
    out << "bot Pip " << Colours({12, 3, 3, 3, 7, 40, 5, 9, 22, 1}) << "\n"
        << "bot Marigold " << Colours({30, 8, 8, 8, 2, 17, 11, 4, 6, 2}) << "\n"
        << "bot Thistle " << Colours({50, 14, 14, 14, 9, 26, 20, 7, 33, 3}) << "\n"
        << "bot Fennick " << Colours({5, 20, 20, 20, 12, 58, 2, 1, 44, 4}) << "\n"
        << "say Lovely day in Meadowcross!\n"
        << "say Has anyone seen the Star Tower at night?\n"
        << "say The pond is deeper than it looks.\n"
        << "say I heard the Crystal Caves hum when nobody is there.\n"
        << "say Mind the lava by the forge.\n"
        << "say Hello there!\n";
    return out.str();
}

}  // namespace

const char* ObjectName(int object) {
    static const char* const kNames[kObjectCount] = {"nothing",    "an old oak",      "a mossy rock",
                                                     "a fountain", "a street lamp",   "a wooden bench",
                                                     "a signpost", "a flowering bush"};
    return object >= 0 && object < kObjectCount ? kNames[object] : "?";
}

bool ObjectSolid(int object) {
    return object == kTree || object == kRock || object == kFountain || object == kLamp ||
           object == kSignpost;
}

DemoMap MakeMap() {
    Grid grid;
    Build(grid);
    return {EncodeMap(grid), DescribeWorld()};
}

}  // namespace demo
