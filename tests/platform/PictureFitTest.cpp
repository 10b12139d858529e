// The picture-to-window mapping at whole and fractional scales with bars, and the clipboard's text as pasted.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/Clipboard.h"
#include "platform/PictureFit.h"

namespace {

using platform::PictureRect;

TEST(PictureFit, ScalesAtFourToThreeCentredAndMapsBothWays) {
    const struct {
        int windowWidth, windowHeight;
        PictureRect expected;
        bool whole;
        int barX, barY;  // a window pixel on a bar (-1: there is none)
    } cases[] = {
        {800, 600, {0, 0, 800, 600}, true, -1, 10},           // one to one; -1 is left of the window
        {1920, 1080, {240, 0, 1440, 1080}, false, 239, 500},  // bars left and right
        {700, 900, {0, 187, 700, 525}, false, 350, 186},      // bars above and below
        {1700, 1200, {50, 0, 1600, 1200}, true, 1650, 10},    // twice, with narrow bars
        {0, 0, {0, 0, 0, 0}, true, 0, 0},                     // minimised
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.windowWidth) + "x" + std::to_string(c.windowHeight));
        const PictureRect r = platform::FitPicture(c.windowWidth, c.windowHeight, 800, 600);
        EXPECT_EQ(std::tuple(r.x, r.y, r.width, r.height),
                  std::tuple(c.expected.x, c.expected.y, c.expected.width, c.expected.height));
        int wx = 0, wy = 0, px = -1, py = -1;
        EXPECT_FALSE(platform::WindowToPicture(r, 800, 600, c.barX, c.barY, &px, &py));
        if (r.width == 0) continue;
        EXPECT_EQ(platform::IsWholeScale(r, 800, 600), c.whole);
        // Enlarged, each picture pixel's window centre maps back to it; reduced, each window pixel maps to a
        // picture pixel whose centre lies in it.
        for (auto [x, y] : {std::pair{0, 0}, std::pair{799, 599}, std::pair{13, 571}}) {
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
        ASSERT_TRUE(platform::WindowToPicture(r, 800, 600, r.x + r.width - 1, r.y + r.height - 1, &px, &py));
        EXPECT_EQ(std::pair(px, py), std::pair(799, 599));  // the window's last picture pixel is the last
    }
}

TEST(PastedText, KeepsPrintableBytesUpToTheFirstLineBreakAndTheBound) {
    const struct {
        const char* clipboard;
        std::size_t limit;
        std::string expected;
    } cases[] = {
        {"first\nsecond", 1000, "first"},                        // a line break ends the paste
        {"tab\there\x01\x7f caf\xC3\xA9", 1000, "tabhere caf"},  // controls, DEL and UTF-8 bytes dropped
        {"abcdef", 4, "abcd"},
        {nullptr, 1000, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::PastedText(c.clipboard, c.limit), c.expected);
}

}  // namespace
