// Map files: header lines, the three body sections, the staggered-to-square conversion, the getters and
// setters, and headers or bodies that do not fit.
#include "DataTestFiles.h"
#include "data/WorldMap.h"

namespace {
class WorldMapTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        ResetWorldMapForTests();
    }
};

std::int32_t Side() {
    std::int32_t w = -1;
    std::int32_t h = -1;
    mapSize(w, h);
    EXPECT_EQ(w, h);
    return w;
}

TEST_F(WorldMapTest, ThreeByFourLandsOnTheSevenGrid) {
    MapFileLayout layout;
    layout.width = 3;
    layout.height = 4;
    Write("maps/room.map", MapFileBytes(layout));
    ASSERT_TRUE(loadMapFile("maps\\room.map"));
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(Side(), 7);
    struct {
        int x, y, gx, gy;
    } const cases[] = {{0, 0, 0, 2}, {0, 1, 0, 3}, {1, 0, 1, 1}, {2, 3, 3, 2}};
    for (const auto& c : cases) {
        std::int32_t gx = 0;
        std::int32_t gy = 0;
        fileToGrid(c.x, c.y, gx, gy);
        EXPECT_EQ(gx, c.gx);
        EXPECT_EQ(gy, c.gy);
        EXPECT_EQ(getFloor(gx, gy), layout.floor(c.x, c.y));
        EXPECT_EQ(getObject(gx, gy), layout.object(c.x, c.y));
        EXPECT_EQ(getWallLowX(gx, gy), static_cast<std::int32_t>(layout.wallX(c.x, c.y)));
        EXPECT_EQ(getWallLowY(gx, gy), static_cast<std::int32_t>(layout.wallY(c.x, c.y)));
    }
    // Cells no file cell reaches keep the empty values.
    int reached = 0;
    for (int gy = 0; gy < 7; ++gy) {
        for (int gx = 0; gx < 7; ++gx) {
            if (getFloor(gx, gy) != 0xFFFF) {
                ++reached;
            } else {
                EXPECT_EQ(getObject(gx, gy), 0);
                EXPECT_EQ(getWallLowX(gx, gy) + getWallLowY(gx, gy), 0);
            }
        }
    }
    EXPECT_EQ(reached, 12);
    EXPECT_EQ(getFloor(-1, 0), 0);
    EXPECT_EQ(getFloor(0, 7), 0);
    EXPECT_EQ(getObject(7, 0), 0);
}

TEST_F(WorldMapTest, WallSectionIsOrderedByColumnThenHalf) {
    MapFileLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.floor = [](int, int) { return 1u; };
    layout.object = [](int, int) { return 0u; };
    const std::string header = MapFileHeader(layout);
    std::string body(16, '\0');
    for (int i = 0; i < 8; ++i) {
        body += static_cast<char>(10 + i);  // column 0: lowX rows 0,1 then lowY rows 0,1; then column 1
    }
    Write("w.map", header + body);
    ASSERT_TRUE(loadMapFile("w.map"));
    const int expected[2][2][2] = {{{10, 12}, {11, 13}}, {{14, 16}, {15, 17}}};  // [x][y] = {lowX, lowY}
    for (int x = 0; x < 2; ++x) {
        for (int y = 0; y < 2; ++y) {
            std::int32_t gx = 0;
            std::int32_t gy = 0;
            fileToGrid(x, y, gx, gy);
            EXPECT_EQ(getWallLowX(gx, gy), expected[x][y][0]) << x << "," << y;
            EXPECT_EQ(getWallLowY(gx, gy), expected[x][y][1]) << x << "," << y;
        }
    }
}

class RoundTripTest : public WorldMapTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(RoundTripTest, EveryFileCellSurvivesBothConversionsAndIsStoredOnce) {
    MapFileLayout layout;
    layout.width = GetParam().first;
    layout.height = GetParam().second;
    Write("r.map", MapFileBytes(layout));
    ASSERT_TRUE(loadMapFile("r.map"));
    const std::int32_t side = Side();
    ASSERT_EQ(side, layout.width + layout.height);
    std::vector<int> hits(static_cast<std::size_t>(side * side));
    for (int x = 0; x < layout.width; ++x) {
        for (int y = 0; y < layout.height; ++y) {
            std::int32_t gx = 0;
            std::int32_t gy = 0;
            fileToGrid(x, y, gx, gy);
            std::int32_t bx = -1;
            std::int32_t by = -1;
            gridToFile(gx, gy, bx, by);
            ASSERT_EQ(bx, x);
            ASSERT_EQ(by, y);
            if (gx >= 0 && gy >= 0 && gx < side && gy < side) {
                ASSERT_EQ(++hits[static_cast<std::size_t>(gy * side + gx)], 1);
                ASSERT_EQ(getFloor(gx, gy), layout.floor(x, y));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTripTest,
                         ::testing::Values(std::pair{1, 1}, std::pair{3, 4}, std::pair{4, 3}, std::pair{1, 9},
                                           std::pair{9, 1}, std::pair{16, 16}, std::pair{17, 32},
                                           std::pair{40, 7}, std::pair{0, 5}, std::pair{5, 0}));

struct HeaderCase {
    const char* name;
    std::string bytes;
    bool loads;
    std::string log;
};

const std::string kMagic = "MAP V01.10 Velmoria\n";
const std::string kWarning =
    "Warning: Unrecognized map version found in map file: h.map\n  -load may potentially be invalid.\n";
const std::string kFormat = "Error: Format of file unrecognized: h.map\n";

class MapHeaderTest : public WorldMapTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(MapHeaderTest, HeaderRules) {
    // A map is loaded first, so each case also shows the previous map is gone after a failure.
    MapFileLayout layout;
    layout.width = 2;
    layout.height = 2;
    Write("before.map", MapFileBytes(layout));
    ASSERT_TRUE(loadMapFile("before.map"));
    Write("h.map", GetParam().bytes);
    EXPECT_EQ(loadMapFile("h.map"), GetParam().loads);
    EXPECT_EQ(Log(), GetParam().log);
    if (!GetParam().loads) {
        EXPECT_EQ(Side(), 0);
        EXPECT_EQ(getFloor(0, 0), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, MapHeaderTest,
    ::testing::Values(
        HeaderCase{"Plain", kMagic + "height=1\nwidth=1\nBODY\n\x05\x00", true, ""},
        HeaderCase{"CrLf", "MAP V01.10 Velmoria\r\nheight=1\r\nwidth=1\r\nBODY\r\n\r\n\x05\x00", false,
                   "Warning: Unrecognized map version found in map file: h.map\n"
                   "  -load may potentially be invalid.\n"
                   "Error: Format of file unrecognized: h.map\n"},
        HeaderCase{"WidthFirst", kMagic + "width=4\nheight=4\nBODY\n", false, ""},
        HeaderCase{"NoBody", kMagic + "height=1\nwidth=1\nx\n", false, kFormat},
        HeaderCase{"EmptyLineBeforeBody", kMagic + "height=1\nwidth=1\n\nBODY\n", false, kFormat},
        HeaderCase{"Empty", "", false, kWarning + kFormat},
        HeaderCase{"ShortHeightLine", kMagic + "hei=12\nwidth=1\nBODY\n", true, ""},
        HeaderCase{"AtoiRules", kMagic + "heightX  +2xyz\nwidth= 3\nBODY\n", true, ""},
        HeaderCase{"Negative", kMagic + "height=-2\nwidth=5\nBODY\n", false,
                   "Error: Map size out of range (width 5, height -2) in map file: h.map\n"},
        HeaderCase{"BothNegative", kMagic + "height=-70000\nwidth=-70000\nBODY\n", false,
                   "Error: Map size out of range (width -70000, height -70000) in map file: h.map\n"},
        HeaderCase{"TooLarge", kMagic + "height=2048\nwidth=2049\nBODY\n", false,
                   "Error: Map size out of range (width 2049, height 2048) in map file: h.map\n"},
        HeaderCase{"Overflowing", kMagic + "height=99999999999\nwidth=1\nBODY\n", false,
                   "Error: Map size out of range (width 1, height 2147483647) in map file: h.map\n"},
        HeaderCase{"WrongMagic", "MAP V01.09 Velmoria\nheight=1\nwidth=1\nBODY\n", true, kWarning}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

TEST_F(WorldMapTest, LargestAllowedGridLoadsFromAHeaderAlone) {
    Write("big.map", kMagic + "height=2048\nwidth=2048\nBODY\n");
    ASSERT_TRUE(loadMapFile("big.map"));
    EXPECT_EQ(Side(), 4096);
    std::int32_t gx = 0;
    std::int32_t gy = 0;
    fileToGrid(0, 0, gx, gy);
    EXPECT_EQ(getFloor(gx, gy), 0);  // inside the file's diamond, zero-filled
    EXPECT_EQ(getFloor(0, 0), 0xFFFF);
}

TEST_F(WorldMapTest, ShortBodyIsZeroFilled) {
    MapFileLayout layout;
    layout.width = 3;
    layout.height = 4;
    const std::string whole = MapFileBytes(layout);
    const std::size_t header = MapFileHeader(layout).size();
    // Cut inside the objects section: floors complete, objects of column 0 only, no walls.
    Write("short.map", whole.substr(0, header + 24 + 8 + 1));
    ASSERT_TRUE(loadMapFile("short.map"));
    EXPECT_EQ(Log(), "");
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y < 4; ++y) {
            std::int32_t gx = 0;
            std::int32_t gy = 0;
            fileToGrid(x, y, gx, gy);
            EXPECT_EQ(getFloor(gx, gy), layout.floor(x, y));
            EXPECT_EQ(getObject(gx, gy), x == 0 ? layout.object(x, y) : (x == 1 && y == 0 ? 1100 & 0xFF : 0));
            EXPECT_EQ(getWallLowX(gx, gy), 0);
        }
    }
}

TEST_F(WorldMapTest, MissingFileEmptiesTheMap) {
    MapFileLayout layout;
    layout.width = 2;
    layout.height = 2;
    Write("a.map", MapFileBytes(layout));
    ASSERT_TRUE(loadMapFile("a.map"));
    EXPECT_FALSE(loadMapFile("maps\\gone.map"));
    EXPECT_EQ(Side(), 0);
    EXPECT_EQ(Log(), "Failed to load velm .map file: maps\\gone.map\n");
}
}  // namespace
