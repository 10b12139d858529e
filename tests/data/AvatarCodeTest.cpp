// Base-95 numbers and the avatar colour and frame codes.
#include "DataTestFiles.h"
#include "data/AvatarCode.h"

namespace {
using AvatarCodeTest = DataFileTest;

TEST(Base95, DecodesAndEncodes) {
    // "\x1F" is below the space: a negative digit; twelve "~" wrap around.
    const std::pair<std::string, int> decoded[] = {
        {"", 0}, {"~", 94}, {"!%", 100}, {"~~~", 857374}, {"\x1F", -1}, {"~~~~~~~~~~~~", 777995136}};
    for (const auto& [text, value] : decoded) EXPECT_EQ(decodeBase95(text), value) << text;
    EXPECT_EQ(encodeBase95(3, false), "#");
    EXPECT_EQ(encodeBase95(100, true), "!%");
    EXPECT_EQ(encodeBase95(195, false), "%");
    for (int v = 0; v < 95 * 95; v += 37) ASSERT_EQ(decodeBase95(encodeBase95(v, true)), v);
}

TEST_F(AvatarCodeTest, FrameNumberGivesGroupVariantPoseAndDirection) {
    // frame, group, variant, pose, direction (9: the frame gives none)
    const int cases[][5] = {{1, 0, 0, 0, 2},   {8, 0, 0, 4, 3},   {45, 2, 0, 0, 3}, {120, 5, 0, 1, 1},
                            {521, 1, 2, 0, 2}, {130, 5, 0, 0, 1}, {121, 5, 0, 4, 9}};
    for (const auto& c : cases) {
        AvatarAppearance record;
        record.direction = 9;
        decodeAvatarAppearance("", encodeBase95(c[0], true), record);
        EXPECT_EQ((std::vector{record.group, record.variant, record.pose, record.direction}),
                  (std::vector{c[1], c[2], c[3], c[4]}))
            << "frame " << c[0];
    }
    // Only the frames beyond group five are reported.
    EXPECT_EQ(Log(),
              "Warning: Animation frame could not be correctly parsed: 130\n"
              "Warning: Animation frame could not be correctly parsed: 121\n");
}

TEST_F(AvatarCodeTest, ColourIndicesAreCodeMinus32AndKeptOutsideTheTable) {
    AvatarAppearance record;
    decodeAvatarAppearance(std::string(" !_`~\x7F\x1F\x80\xFF") + "a" + "extra", "", record);
    const int expected[10] = {0, 1, 63, 64, 94, 95, -1, 96, -33, 65};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(record.colors[i], expected[i]) << i;
}
}  // namespace
