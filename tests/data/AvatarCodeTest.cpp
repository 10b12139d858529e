// Base-95 numbers and the avatar colour and frame codes.
#include "DataTestFiles.h"
#include "data/AvatarCode.h"

namespace {
using AvatarCodeTest = DataFileTest;

// A frame number as the server writes it: two base-95 digits.
std::string Frame(int value) {
    return encodeBase95(value, true);
}

TEST(Base95, DecodesAndEncodes) {
    EXPECT_EQ(decodeBase95(""), 0);
    EXPECT_EQ(decodeBase95("  "), 0);
    EXPECT_EQ(decodeBase95("~"), 94);
    EXPECT_EQ(decodeBase95("!%"), 100);
    EXPECT_EQ(decodeBase95("~~~"), 95 * 95 * 95 - 1);
    EXPECT_EQ(decodeBase95(std::string(1, '\x1F')), -1);  // below the space: a negative digit
    EXPECT_EQ(decodeBase95("~~~~~~~~~~~~"),
              777995136);  // wraps
    EXPECT_EQ(encodeBase95(3, false), "#");
    EXPECT_EQ(encodeBase95(100, true), "!%");
    EXPECT_EQ(encodeBase95(195, false), "%");
    for (int v = 0; v < 95 * 95; v += 37) {
        ASSERT_EQ(decodeBase95(encodeBase95(v, true)), v);
    }
}

struct FrameCase {
    int value;
    int group, variant, pose, direction;
};
class FrameTest : public AvatarCodeTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, FrameNumberGivesGroupPoseAndDirection) {
    AvatarAppearance record;
    record.direction = 9;  // frames that give no direction keep this one
    decodeAvatarAppearance("", Frame(GetParam().value), record);
    EXPECT_EQ(record.group, GetParam().group);
    EXPECT_EQ(record.variant, GetParam().variant);
    EXPECT_EQ(record.pose, GetParam().pose);
    EXPECT_EQ(record.direction, GetParam().direction);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameTest,
    ::testing::Values(FrameCase{1, 0, 0, 0, 2}, FrameCase{2, 0, 0, 3, 2}, FrameCase{3, 0, 0, 2, 2},
                      FrameCase{4, 0, 0, 4, 2}, FrameCase{5, 0, 0, 0, 3}, FrameCase{8, 0, 0, 4, 3},
                      FrameCase{9, 0, 0, 0, 1}, FrameCase{12, 0, 0, 4, 1}, FrameCase{13, 0, 0, 0, 0},
                      FrameCase{16, 0, 0, 4, 0}, FrameCase{17, 0, 0, 1, 2}, FrameCase{18, 0, 0, 1, 3},
                      FrameCase{19, 0, 0, 1, 0}, FrameCase{20, 0, 0, 1, 1}, FrameCase{45, 2, 0, 0, 3},
                      FrameCase{66, 3, 0, 3, 3}, FrameCase{100, 4, 0, 1, 1}, FrameCase{101, 5, 0, 0, 2},
                      FrameCase{120, 5, 0, 1, 1}, FrameCase{521, 1, 2, 0, 2}, FrameCase{600, 4, 2, 1, 1},
                      FrameCase{130, 5, 0, 0, 1}, FrameCase{121, 5, 0, 4, 9}));

TEST_F(AvatarCodeTest, OnlyFramesBeyondGroupFiveAreReported) {
    AvatarAppearance record;
    decodeAvatarAppearance("", Frame(120), record);
    EXPECT_EQ(Log(), "");
    decodeAvatarAppearance("", Frame(130), record);
    EXPECT_EQ(Log(), "Warning: Animation frame could not be correctly parsed: 130\n");
}

TEST_F(AvatarCodeTest, ShortOrZeroCodesChangeNothing) {
    AvatarAppearance record;
    decodeAvatarAppearance("0123456789", Frame(45), record);
    const AvatarAppearance before = record;
    decodeAvatarAppearance("012345678", "  ", record);  // nine colour characters, frame value 0
    decodeAvatarAppearance("", "%", record);            // one frame character
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.colors), 10),
              std::string(reinterpret_cast<const char*>(before.colors), 10));
    EXPECT_EQ(record.group, 2);
    EXPECT_EQ(record.pose, before.pose);
    EXPECT_EQ(record.direction, before.direction);
    EXPECT_EQ(Log(), "");
}

TEST_F(AvatarCodeTest, ColourIndicesAreCodeMinus32AndKeptOutsideTheTable) {
    AvatarAppearance record;
    decodeAvatarAppearance(std::string(" !_`~\x7F\x1F\x80\xFF") + "a" + "extra", "", record);
    const int expected[10] = {0, 1, 63, 64, 94, 95, -1, 96, -33, 65};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(record.colors[i], expected[i]) << i;
    }
}

}  // namespace
