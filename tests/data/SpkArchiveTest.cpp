// SPK archives: bottom-row-first pixels, the key colour, skipped bytes, and files that end early.
#include "DataTestFiles.h"
#include "data/SpkArchive.h"

namespace {
using SpkArchiveTest = DataFileTest;
using Rows = std::vector<std::vector<std::uint8_t>>;

// The shape's rows, top row first.
Rows RowsOf(const SpkShape& shape) {
    Rows rows;
    for (int r = 0; r < shape.height(); ++r) rows.emplace_back(shape.row(r), shape.row(r) + shape.width());
    return rows;
}

TEST_F(SpkArchiveTest, RowsAreStoredBottomRowFirstAndTheKeyIsTheTopLeftPixel) {
    // One shape of 2 x 3 whose stored rows are 1 2, 3 4, 5 6.
    Write("patches/default/floors.spk",
          std::string("\x01\x00\xEF\xBE\x02\x03\x5A\x5A\x01\x02\x03\x04\x05\x06", 14));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("patches\\default\\floors.spk"));
    ASSERT_EQ(archive.shapeCount(), 1);
    EXPECT_EQ(RowsOf(archive.shape(0)), (Rows{{5, 6}, {3, 4}, {1, 2}}));
    EXPECT_EQ(archive.shape(0).keyColor, 5);
    EXPECT_FALSE(archive.load("patches\\default\\gone.spk"));
    EXPECT_EQ(archive.shapeCount(), 0);
    EXPECT_EQ(Log(), "Unable to open patches\\default\\gone.spk to load SPK data.\n");
}

// Two 2 x 2 shapes (pixels top first 1 2 / 3 4 and 5 6 / 7 8) cut after `keep` bytes. Layout: count 0-1,
// table 2-5, shape 0 record 6-9 and pixels 10-13, shape 1 record 14-17 and pixels 18-21. The bottom row is
// stored first, so a cut inside shape 1's pixels loses its top row.
TEST_F(SpkArchiveTest, FileThatEndsEarlyKeepsWhatWasRead) {
    const std::string whole = SpkFileBytes({{2, 2, {{1, 2}, {3, 4}}}, {2, 2, {{5, 6}, {7, 8}}}});
    // keep, shape 0 height, shape 1 rows
    const std::tuple<std::size_t, int, Rows> cases[] = {
        {1, 0, {}}, {8, 0, {}}, {11, 2, {}}, {17, 2, {}}, {20, 2, {{0, 0}, {7, 8}}}};
    for (const auto& [keep, height0, rows1] : cases) {
        Write("cut.spk", whole.substr(0, keep));
        SpkArchive archive;
        ASSERT_TRUE(archive.load("cut.spk"));
        ASSERT_EQ(archive.shapeCount(), 2) << keep;  // a count cut after its low byte keeps it
        EXPECT_EQ(archive.shape(0).height(), height0) << keep;
        EXPECT_EQ(RowsOf(archive.shape(1)), rows1) << keep;
        EXPECT_EQ(archive.shape(1).keyColor, 0) << keep;
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(SpkArchiveTest, HugeCountInATinyFileAllocatesOnlyEmptyShapes) {
    Write("lie.spk", std::string("\xFF\xFF\xFF\xFF", 4));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("lie.spk"));
    ASSERT_EQ(archive.shapeCount(), 65535);
    EXPECT_EQ(archive.shape(65534).height(), 0);
}
}  // namespace
