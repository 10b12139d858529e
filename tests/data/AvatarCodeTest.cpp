// Base-95 numbers and the avatar colour and frame codes.
#include <cstring>

#include "DataTestFiles.h"
#include "data/AvatarCode.h"

namespace {
using AvatarCodeTest = DataFileTest;

TEST(Base95, DecodesAndEncodes) {
    const std::pair<std::string, int> decoded[] = {{"", 0},
                                                   {"  ", 0},
                                                   {"~", 94},
                                                   {"!%", 100},
                                                   {"~~~", 95 * 95 * 95 - 1},
                                                   {"\x1F", -1},  // below the space: a negative digit
                                                   {"~~~~~~~~~~~~", 777995136}};  // wraps
    for (const auto& [text, value] : decoded) EXPECT_EQ(decodeBase95(text), value) << text;
    EXPECT_EQ(encodeBase95(3, false), "#");
    EXPECT_EQ(encodeBase95(100, true), "!%");
    EXPECT_EQ(encodeBase95(195, false), "%");
    for (int v = 0; v < 95 * 95; v += 37) ASSERT_EQ(decodeBase95(encodeBase95(v, true)), v);
}

TEST_F(AvatarCodeTest, FrameNumberGivesGroupVariantPoseAndDirection) {
    // frame, group, variant, pose, direction (9: the frame gives none), whether it is reported
    const int cases[][6] = {
        {1, 0, 0, 0, 2, 0},   {2, 0, 0, 3, 2, 0},   {3, 0, 0, 2, 2, 0},   {4, 0, 0, 4, 2, 0},
        {5, 0, 0, 0, 3, 0},   {8, 0, 0, 4, 3, 0},   {9, 0, 0, 0, 1, 0},   {12, 0, 0, 4, 1, 0},
        {13, 0, 0, 0, 0, 0},  {16, 0, 0, 4, 0, 0},  {17, 0, 0, 1, 2, 0},  {18, 0, 0, 1, 3, 0},
        {19, 0, 0, 1, 0, 0},  {20, 0, 0, 1, 1, 0},  {45, 2, 0, 0, 3, 0},  {66, 3, 0, 3, 3, 0},
        {100, 4, 0, 1, 1, 0}, {101, 5, 0, 0, 2, 0}, {120, 5, 0, 1, 1, 0}, {521, 1, 2, 0, 2, 0},
        {600, 4, 2, 1, 1, 0}, {130, 5, 0, 0, 1, 1}, {121, 5, 0, 4, 9, 1}};
    for (const auto& c : cases) {
        ClearLog(errorLog);
        AvatarAppearance record;
        record.direction = 9;
        decodeAvatarAppearance("", encodeBase95(c[0], true), record);
        EXPECT_EQ((std::vector{record.group, record.variant, record.pose, record.direction}),
                  (std::vector{c[1], c[2], c[3], c[4]}))
            << "frame " << c[0];
        EXPECT_EQ(Log(), c[5] ? "Warning: Animation frame could not be correctly parsed: " +
                                    std::to_string(c[0]) + "\n"
                              : "")
            << "frame " << c[0];
    }
}

TEST_F(AvatarCodeTest, ShortOrZeroCodesChangeNothing) {
    AvatarAppearance record;
    decodeAvatarAppearance("0123456789", encodeBase95(45, true), record);
    const AvatarAppearance before = record;
    decodeAvatarAppearance("012345678", "  ", record);  // nine colour characters, frame value 0
    decodeAvatarAppearance("", "%", record);            // one frame character
    EXPECT_EQ(std::memcmp(record.colors, before.colors, 10), 0);
    EXPECT_EQ((std::vector{record.group, record.pose, record.direction}),
              (std::vector{2, before.pose, before.direction}));
    EXPECT_EQ(Log(), "");
}

TEST_F(AvatarCodeTest, ColourIndicesAreCodeMinus32AndKeptOutsideTheTable) {
    AvatarAppearance record;
    decodeAvatarAppearance(std::string(" !_`~\x7F\x1F\x80\xFF") + "a" + "extra", "", record);
    const int expected[10] = {0, 1, 63, 64, 94, 95, -1, 96, -33, 65};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(record.colors[i], expected[i]) << i;
}
}  // namespace
