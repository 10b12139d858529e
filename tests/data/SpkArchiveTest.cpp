// SPK archives: bottom-row-first pixels, the key colour, skipped bytes, and files that end early.
#include "DataTestFiles.h"
#include "data/SpkArchive.h"

namespace {
using SpkArchiveTest = DataFileTest;

std::vector<std::uint8_t> Row(const SpkShape& shape, int r) {
    return std::vector<std::uint8_t>(shape.row(r), shape.row(r) + shape.width());
}

TEST_F(SpkArchiveTest, RowsAreStoredBottomRowFirstAndTheKeyIsTheTopLeftPixel) {
    // One shape of 2 x 3 whose stored rows are 1 2, 3 4, 5 6.
    Write("patches/default/floors.spk",
          std::string("\x01\x00\xEF\xBE\x02\x03\x5A\x5A\x01\x02\x03\x04\x05\x06", 14));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("patches\\default\\floors.spk"));
    ASSERT_EQ(archive.shapeCount(), 1);
    const SpkShape& shape = archive.shape(0);
    EXPECT_EQ(shape.width(), 2);
    EXPECT_EQ(shape.height(), 3);
    EXPECT_EQ(Row(shape, 0), (std::vector<std::uint8_t>{5, 6}));
    EXPECT_EQ(Row(shape, 2), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(shape.keyColor, 5);
}

TEST_F(SpkArchiveTest, ShapesInOrderAndSkippedBytesHaveNoEffect) {
    const std::vector<SpkShapeLayout> shapes = {PatternShape(64, 32, 0), PatternShape(1, 1, 9),
                                                PatternShape(0, 5, 0), PatternShape(255, 255, 77),
                                                PatternShape(3, 0, 0)};
    for (const unsigned char skipped : {0x00, 0xFF}) {
        Write("a.spk", SpkFileBytes(shapes, skipped * 0x101u, skipped));
        SpkArchive archive;
        ASSERT_TRUE(archive.load("a.spk"));
        ASSERT_EQ(archive.shapeCount(), 5);
        for (int k = 0; k < 5; ++k) {
            const SpkShapeLayout& layout = shapes[static_cast<std::size_t>(k)];
            const SpkShape& shape = archive.shape(k);
            ASSERT_EQ(shape.height(), layout.height) << k;
            for (int r = 0; r < layout.height; ++r)
                ASSERT_EQ(Row(shape, r), layout.rowsTopFirst[static_cast<std::size_t>(r)])
                    << k << " row " << r;
            // A shape without pixels gives no key colour.
            EXPECT_EQ(shape.keyColor, layout.height > 0 && layout.width > 0 ? layout.rowsTopFirst[0][0] : 0)
                << k;
        }
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(SpkArchiveTest, EmptyArchiveAndMissingFileLeaveNoShapes) {
    Write("empty.spk", std::string("\0\0", 2));
    Write("one.spk", SpkFileBytes({PatternShape(2, 2, 1)}));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("one.spk"));
    EXPECT_TRUE(archive.load("empty.spk"));
    EXPECT_EQ(archive.shapeCount(), 0);
    ASSERT_TRUE(archive.load("one.spk"));
    EXPECT_FALSE(archive.load("patches\\default\\floors.spk"));
    EXPECT_EQ(archive.shapeCount(), 0);
    EXPECT_EQ(Log(), "Unable to open patches\\default\\floors.spk to load SPK data.\n");
}

// Two 2 x 2 shapes (pixels top first 1 2 / 3 4 and 5 6 / 7 8) cut after `keep` bytes. Layout: count 0-1,
// table 2-5, shape 0 record 6-9 and pixels 10-13, shape 1 record 14-17 and pixels 18-21.
TEST_F(SpkArchiveTest, FileThatEndsEarlyKeepsWhatWasRead) {
    const std::string whole = SpkFileBytes({{2, 2, {{1, 2}, {3, 4}}}, {2, 2, {{5, 6}, {7, 8}}}});
    const struct {
        std::size_t keep;
        int height0, height1, keyColor1;
    } cases[] = {{0, 0, 0, 0},  {1, 0, 0, 0},  {3, 0, 0, 0},  {8, 0, 0, 0}, {11, 2, 0, 0},
                 {14, 2, 0, 0}, {17, 2, 0, 0}, {20, 2, 2, 0}, {22, 2, 2, 5}};
    for (const auto& c : cases) {
        Write("cut.spk", whole.substr(0, c.keep));
        SpkArchive archive;
        ASSERT_TRUE(archive.load("cut.spk")) << c.keep;
        ASSERT_EQ(archive.shapeCount(), c.keep >= 1 ? 2 : 0)
            << c.keep;  // a count cut after its low byte keeps it
        if (c.keep == 0) continue;
        EXPECT_EQ(archive.shape(0).height(), c.height0) << c.keep;
        EXPECT_EQ(archive.shape(1).height(), c.height1) << c.keep;
        EXPECT_EQ(archive.shape(1).keyColor, c.keyColor1) << c.keep;
        if (c.height1 == 2) {  // the bottom row is stored first, so a cut inside shape 1 loses its top row
            EXPECT_EQ(Row(archive.shape(1), 1), (std::vector<std::uint8_t>{7, 8}));
            EXPECT_EQ(Row(archive.shape(1), 0), (c.keep == whole.size() ? std::vector<std::uint8_t>{5, 6}
                                                                        : std::vector<std::uint8_t>{0, 0}));
        }
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(SpkArchiveTest, HugeCountInATinyFileAllocatesOnlyEmptyShapes) {
    Write("lie.spk", std::string("\xFF\xFF\xFF\xFF", 4));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("lie.spk"));
    ASSERT_EQ(archive.shapeCount(), 65535);
    EXPECT_EQ(archive.shape(65534).height(), 0);
    EXPECT_EQ(archive.shape(65534).keyColor, 0);
}
}  // namespace
