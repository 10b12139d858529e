// The picture-to-window mapping at whole and fractional scales with bars on either side, and the
// clipboard's text as a paste takes it.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/Clipboard.h"
#include "platform/PictureFit.h"

namespace {

using platform::PictureRect;

TEST(PictureFit, ScalesAtFourToThreeCentredAndMapsBothWays) {
    struct Case {
        int windowWidth, windowHeight;
        PictureRect expected;
        bool whole;
        int barX, barY;  // a window pixel on a bar (-1: there is none)
    } cases[] = {
        {800, 600, {0, 0, 800, 600}, true, -1, -1},          {1600, 1200, {0, 0, 1600, 1200}, true, -1, -1},
        {1920, 1080, {240, 0, 1440, 1080}, false, 239, 500},  // bars left and right
        {700, 900, {0, 187, 700, 525}, false, 350, 186},      // bars above and below
        {2400, 1800, {0, 0, 2400, 1800}, true, -1, -1},       // three times
        {1700, 1200, {50, 0, 1600, 1200}, true, 1650, 10},    // twice, with narrow bars
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.windowWidth) + "x" + std::to_string(c.windowHeight));
        const PictureRect r = platform::FitPicture(c.windowWidth, c.windowHeight, 800, 600);
        EXPECT_EQ(std::tuple(r.x, r.y, r.width, r.height),
                  std::tuple(c.expected.x, c.expected.y, c.expected.width, c.expected.height));
        EXPECT_EQ(platform::IsWholeScale(r, 800, 600), c.whole);
        // Enlarged, each picture pixel's window centre maps back to it; reduced, each window pixel maps to a
        // picture pixel whose centre lies in it. Corners, centre and a pixel off the diagonal.
        for (auto [x, y] : {std::pair{0, 0}, std::pair{799, 599}, std::pair{400, 300}, std::pair{13, 571}}) {
            int wx = 0, wy = 0, px = -1, py = -1;
            if (r.width >= 800) {
                platform::PictureToWindow(r, 800, 600, x, y, &wx, &wy);
                ASSERT_TRUE(platform::WindowToPicture(r, 800, 600, wx, wy, &px, &py)) << wx << "," << wy;
                EXPECT_EQ(std::pair(px, py), std::pair(x, y));
            } else {
                const int windowX = r.x + x * (r.width - 1) / 799, windowY = r.y + y * (r.height - 1) / 599;
                ASSERT_TRUE(platform::WindowToPicture(r, 800, 600, windowX, windowY, &px, &py));
                platform::PictureToWindow(r, 800, 600, px, py, &wx, &wy);
                EXPECT_EQ(std::pair(wx, wy), std::pair(windowX, windowY));
            }
        }
        // The window's first and last picture pixels land on the picture's edges.
        int px = -1, py = -1;
        ASSERT_TRUE(platform::WindowToPicture(r, 800, 600, r.x + r.width - 1, r.y + r.height - 1, &px, &py));
        EXPECT_EQ(std::pair(px, py), std::pair(799, 599));
        if (c.barX >= 0) {
            EXPECT_FALSE(platform::WindowToPicture(r, 800, 600, c.barX, c.barY, &px, &py));
        }
    }
    // Outside the window, and a minimised (empty) window: nothing is under the pointer.
    int px = 0, py = 0;
    const PictureRect r = platform::FitPicture(800, 600, 800, 600);
    EXPECT_FALSE(platform::WindowToPicture(r, 800, 600, -1, 10, &px, &py));
    EXPECT_FALSE(platform::WindowToPicture(r, 800, 600, 800, 10, &px, &py));
    const PictureRect empty = platform::FitPicture(0, 0, 800, 600);
    EXPECT_EQ(std::pair(empty.width, empty.height), std::pair(0, 0));
    EXPECT_FALSE(platform::WindowToPicture(empty, 800, 600, 0, 0, &px, &py));
}

TEST(PastedText, KeepsPrintableBytesUpToTheFirstLineBreakAndTheBound) {
    const struct {
        const char* clipboard;
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {"hello there", 1000, "hello there"},
        {"first\nsecond", 1000, "first"},  // a line break ends the paste: nothing is sent by it
        {"first\r\nsecond", 1000, "first"},
        {"\nsecond", 1000, ""},
        {"tab\there\x01\x7f caf\xC3\xA9", 1000, "tabhere caf"},  // controls, DEL and UTF-8 bytes dropped
        {"abcdef", 4, "abcd"},
        {nullptr, 1000, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::PastedText(c.clipboard, c.limit), c.expected)
            << (c.clipboard ? c.clipboard : "null");
    EXPECT_EQ(platform::PastedText(std::string(5000000, 'x').c_str(), platform::kPasteLimit).size(), 1000u);
}

}  // namespace
