// Map files: header lines, the body sections, the staggered-to-square conversion and headers that do not fit.
#include "DataTestFiles.h"
#include "data/WorldMap.h"

namespace {
class WorldMapTest : public DataFileTest {
protected:
    static std::int32_t Side() {
        std::int32_t w = -1, h = -1;
        mapSize(w, h);
        EXPECT_EQ(w, h);
        return w;
    }
    // Floor, object, low X wall and low Y wall of a grid cell.
    static std::vector<unsigned> Cell(std::int32_t gx, std::int32_t gy) {
        return {getFloor(gx, gy), getObject(gx, gy), static_cast<unsigned>(getWallLowX(gx, gy)),
                static_cast<unsigned>(getWallLowY(gx, gy))};
    }
};

TEST_F(WorldMapTest, ThreeByFourLandsOnTheSevenGrid) {
    Write("maps/room.map", MapFileBytes(3, 4));
    ASSERT_TRUE(loadMapFile("maps\\room.map"));
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(Side(), 7);
    const int cases[][4] = {{0, 0, 0, 2}, {0, 1, 0, 3}, {1, 0, 1, 1}, {2, 3, 3, 2}};  // x, y, gx, gy
    for (const auto& c : cases) {
        std::int32_t gx = 0, gy = 0;
        fileToGrid(c[0], c[1], gx, gy);
        EXPECT_EQ(std::pair(gx, gy), std::pair(c[2], c[3]));
    }
    EXPECT_EQ(Cell(0, 0), (std::vector<unsigned>{0xFFFF, 0, 0, 0}));   // no file cell reaches it
    EXPECT_EQ(getFloor(-1, 0) + getFloor(0, 7) + getObject(7, 0), 0);  // outside the grid
}

TEST_F(WorldMapTest, EveryFileCellSurvivesBothConversionsAndIsStoredOnce) {
    const int sizes[][2] = {{1, 1}, {3, 4}, {4, 3}, {1, 9}, {17, 32}, {0, 5}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        Write("r.map", MapFileBytes(width, height));
        ASSERT_TRUE(loadMapFile("r.map"));
        const std::int32_t side = Side();
        ASSERT_EQ(side, width + height);
        std::vector<int> hits(static_cast<std::size_t>(side * side));
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                std::int32_t gx = -1, gy = -1, bx = -1, by = -1;
                fileToGrid(x, y, gx, gy);
                gridToFile(gx, gy, bx, by);
                ASSERT_EQ(std::pair(bx, by), std::pair(x, y));
                if (gx < 0 || gy < 0 || gx >= side || gy >= side) continue;
                ASSERT_EQ(++hits[static_cast<std::size_t>(gy * side + gx)], 1);
                ASSERT_EQ(Cell(gx, gy), MapCellValues(x, y));
            }
        }
    }
}

TEST_F(WorldMapTest, HeaderRules) {
    const std::string magic = "MAP V01.10 Velmoria\n";
    const std::string warning =
        "Warning: Unrecognized map version found in map file: h.map\n  -load may potentially be invalid.\n";
    const std::string format = "Error: Format of file unrecognized: h.map\n";
    const auto header = [&](const std::string& h, const std::string& w) {
        return magic + "height=" + h + "\nwidth=" + w + "\nBODY\n";
    };
    const auto range = [](const std::string& w, const std::string& h) {
        return "Error: Map size out of range (width " + w + ", height " + h + ") in map file: h.map\n";
    };
    const std::tuple<std::string, bool, std::string> cases[] = {
        {header("1", "1") + "\x05", true, ""},
        {"MAP V01.10 Velmoria\r\nheight=1\r\nwidth=1\r\nBODY\r\n\r\n\x05", false, warning + format},
        {magic + "width=4\nheight=4\nBODY\n", false, ""},
        {"", false, warning + format},
        {header("-2", "5"), false, range("5", "-2")},
        {header("99999999999", "1"), false, range("1", "2147483647")},
        {"MAP V01.09 Velmoria\nheight=1\nwidth=1\nBODY\n", true, warning}};
    Write("before.map", MapFileBytes(2, 2));
    for (const auto& [bytes, loads, log] : cases) {
        // A map is loaded first, so each case also shows the previous map is gone after a failure.
        ASSERT_TRUE(loadMapFile("before.map"));
        ClearLog(errorLog);
        Write("h.map", bytes);
        EXPECT_EQ(loadMapFile("h.map"), loads) << bytes;
        EXPECT_EQ(Log(), log) << bytes;
        EXPECT_TRUE(loads || Side() + getFloor(0, 0) == 0) << bytes;
    }
    ClearLog(errorLog);
    EXPECT_FALSE(loadMapFile("maps\\gone.map"));
    EXPECT_EQ(Side(), 0);
    EXPECT_EQ(Log(), "Failed to load velm .map file: maps\\gone.map\n");
}
}  // namespace
