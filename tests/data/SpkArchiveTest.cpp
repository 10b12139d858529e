// SPK archives: bottom-row-first pixels, the key colour, skipped bytes, and files that end early.
#include "DataTestFiles.h"
#include "data/SpkArchive.h"

namespace {
using SpkArchiveTest = DataFileTest;

std::vector<std::uint8_t> Row(const SpkShape& shape, int r) {
    return std::vector<std::uint8_t>(shape.row(r), shape.row(r) + shape.width());
}

TEST_F(SpkArchiveTest, RowsAreStoredBottomRowFirst) {
    Write("patches/default/floors.spk", SpkFileBytes({{2, 3, {{5, 6}, {3, 4}, {1, 2}}}}));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("patches\\default\\floors.spk"));
    ASSERT_EQ(archive.shapeCount(), 1);
    const SpkShape& shape = archive.shape(0);
    EXPECT_EQ(shape.width(), 2);
    EXPECT_EQ(shape.height(), 3);
    EXPECT_EQ(Row(shape, 0), (std::vector<std::uint8_t>{5, 6}));
    EXPECT_EQ(Row(shape, 2), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(shape.keyColor, 5);
    // In the file the first stored row is 1 2.
    EXPECT_EQ(ReadTextFile("patches/default/floors.spk").substr(8, 2), std::string("\x01\x02", 2));
}

TEST_F(SpkArchiveTest, ShapesInOrderAndSkippedBytesHaveNoEffect) {
    const std::vector<SpkShapeLayout> shapes = {PatternShape(64, 32, 0), PatternShape(1, 1, 9),
                                                PatternShape(0, 5, 0), PatternShape(255, 255, 77),
                                                PatternShape(3, 0, 0)};
    Write("a.spk", SpkFileBytes(shapes, 0x0000, 0x00));
    Write("b.spk", SpkFileBytes(shapes, 0xFFFF, 0xFF));
    SpkArchive a;
    SpkArchive b;
    ASSERT_TRUE(a.load("a.spk"));
    ASSERT_TRUE(b.load("b.spk"));
    ASSERT_EQ(a.shapeCount(), 5);
    ASSERT_EQ(b.shapeCount(), 5);
    for (int k = 0; k < 5; ++k) {
        const SpkShapeLayout& layout = shapes[static_cast<std::size_t>(k)];
        for (const SpkArchive* archive : {&a, &b}) {
            const SpkShape& shape = archive->shape(k);
            ASSERT_EQ(shape.height(), layout.height) << k;
            for (int r = 0; r < layout.height; ++r) {
                ASSERT_EQ(Row(shape, r), layout.rowsTopFirst[static_cast<std::size_t>(r)])
                    << k << " row " << r;
            }
            EXPECT_EQ(shape.keyColor, layout.height > 0 && layout.width > 0 ? layout.rowsTopFirst[0][0] : 0);
        }
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(SpkArchiveTest, EmptyArchiveAndMissingFile) {
    Write("empty.spk", std::string("\0\0", 2));
    SpkArchive archive;
    Write("one.spk", SpkFileBytes({PatternShape(2, 2, 1)}));
    ASSERT_TRUE(archive.load("one.spk"));
    EXPECT_TRUE(archive.load("empty.spk"));
    EXPECT_EQ(archive.shapeCount(), 0);
    ASSERT_TRUE(archive.load("one.spk"));
    EXPECT_FALSE(archive.load("patches\\default\\floors.spk"));
    EXPECT_EQ(archive.shapeCount(), 0);
    EXPECT_EQ(Log(), "Unable to open patches\\default\\floors.spk to load SPK data.\n");
}

struct CutCase {
    std::size_t keep;  // bytes of the file kept
    int height0;       // shape 0's height afterwards
    int height1;
    int keyColor1;
};
class SpkCutTest : public DataFileTest, public ::testing::WithParamInterface<CutCase> {};

// A file of two 2 x 2 shapes (pixels top first 1 2 / 3 4 and 5 6 / 7 8) cut after `keep` bytes.
TEST_P(SpkCutTest, FileThatEndsEarlyKeepsWhatWasRead) {
    const std::string whole = SpkFileBytes({{2, 2, {{1, 2}, {3, 4}}}, {2, 2, {{5, 6}, {7, 8}}}});
    Write("cut.spk", whole.substr(0, GetParam().keep));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("cut.spk"));
    const int count = GetParam().keep >= 1 ? 2 : 0;  // a count cut after its low byte keeps that byte
    ASSERT_EQ(archive.shapeCount(), count);
    if (count == 0) {
        return;
    }
    EXPECT_EQ(archive.shape(0).height(), GetParam().height0);
    EXPECT_EQ(archive.shape(1).height(), GetParam().height1);
    EXPECT_EQ(archive.shape(1).keyColor, GetParam().keyColor1);
    if (GetParam().height1 == 2) {
        // The bottom row is stored first, so a cut inside shape 1 loses its top row.
        EXPECT_EQ(Row(archive.shape(1), 1), (std::vector<std::uint8_t>{7, 8}));
        EXPECT_EQ(Row(archive.shape(1), 0), GetParam().keep >= whole.size()
                                                ? (std::vector<std::uint8_t>{5, 6})
                                                : (std::vector<std::uint8_t>{0, 0}));
    }
    EXPECT_EQ(Log(), "");
}

// Layout: count 0-1, table 2-5, shape 0 record 6-9 and pixels 10-13, shape 1 record 14-17, pixels 18-21.
INSTANTIATE_TEST_SUITE_P(Cuts, SpkCutTest,
                         ::testing::Values(CutCase{0, 0, 0, 0}, CutCase{1, 0, 0, 0}, CutCase{3, 0, 0, 0},
                                           CutCase{8, 0, 0, 0}, CutCase{11, 2, 0, 0}, CutCase{14, 2, 0, 0},
                                           CutCase{17, 2, 0, 0}, CutCase{20, 2, 2, 0}, CutCase{22, 2, 2, 5}));

TEST_F(SpkArchiveTest, HugeCountInATinyFileAllocatesOnlyEmptyShapes) {
    Write("lie.spk", std::string("\xFF\xFF\xFF\xFF", 4));
    SpkArchive archive;
    ASSERT_TRUE(archive.load("lie.spk"));
    ASSERT_EQ(archive.shapeCount(), 65535);
    EXPECT_EQ(archive.shape(65534).height(), 0);
    EXPECT_EQ(archive.shape(65534).keyColor, 0);
}
}  // namespace
