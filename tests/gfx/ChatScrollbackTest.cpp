// The text window's scrollback: the view stays within the kept lines, and while it is scrolled back a
// "more below" mark is drawn at its bottom edge.
#include <gtest/gtest.h>

#include <string>

#include "ImageTestSupport.h"
#include "gfx/CTextWindow.h"

namespace {

class ChatScrollbackTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        imagetest::WriteDdsArgb("data/font12.dds", 256, 256, std::vector<uint32_t>(256 * 256, 0x00ffffff));
    }
    // The lowest top edge among the drawn quads (the mark lies below every line of text).
    float LowestQuadTop() {
        float lowest = -1;
        for (const gfx::RecordedDraw& d : device->draws)
            for (uint32_t i = 0; !d.fromMemory && i + 6 <= d.VertexCount(); i += 6)
                lowest = std::max(lowest, d.Screen(i).y);
        return lowest;
    }
};

TEST_F(ChatScrollbackTest, TheViewStaysWithinTheKeptLinesAndTheMarkShowsWhileScrolledBack) {
    CTextWindow window(50, 300, 700, 250, 30);  // 20 lines shown, 30 kept
    for (int i = 0; i < 40; ++i) window.AddText("line " + std::to_string(i));
    window.Scroll(100);  // back past the oldest kept line: the view stops at it
    EXPECT_EQ(window.LinesScrolledBack(), 10u);
    EXPECT_EQ(window.VisibleText().substr(0, 8), "line 10\n");
    window.Scroll(-4);
    EXPECT_EQ(window.LinesScrolledBack(), 6u);
    window.Draw();
    const float withMark = LowestQuadTop();
    device->ClearRecord();
    window.ScrollToEnd();
    window.Draw();
    const float withoutMark = LowestQuadTop();
    // The mark straddles the bottom edge at 550, below the last line of text (quads start half a pixel up
    // and left); without it the last text line is the lowest.
    EXPECT_NEAR(withMark, 540 - 0.5f, 1.0f);
    EXPECT_LT(withoutMark, withMark - 1.0f);
    window.Scroll(-3);  // forward past the newest line: stays at the end
    EXPECT_EQ(window.LinesScrolledBack(), 0u);
}

}  // namespace
