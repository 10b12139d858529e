// Text and textures drawn by the OpenGL device under Xvfb, judged by the pixels read back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/Primitives.h"
#include "gfx/gl/GlDevice.h"
#include "support/GlFrameTest.h"

namespace {

class TextGl : public GlFrameTest {
protected:
    void SetUp() override {
        GlFrameTest::SetUp();
        if (!IsSkipped()) Start();
    }
};

// Leaving blank glyphs out changes no byte: every glyph, runs of blanks, over a gradient and a background.
TEST_F(TextGl, LeavingBlankGlyphsOutDrawsTheSameFrame) {
    const char* bin = std::getenv("VELM_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    WorkingDirectory game(std::filesystem::path(bin) / "game");
    std::string glyphs;
    for (int c = 0x20; c <= 0x7f; ++c) glyphs += char(c) + std::string(c % 3, ' ');
    auto frame = [&](bool leaveOut) {
        DXG::Clear(0xFF000000, true, true);
        DXG::DrawGradient(0, 0, 800, 600, 0xFF204080, 0xFFC0A020, 0xFF10E0F0, 0xFF803010);
        CText text;
        text.SetPosition(3, 5);
        text.SetWidthLimit(780);
        text.SetColour(250, 120, 30, 200);
        text.Append(glyphs);
        text.SetBackground(20, 40, 60);
        text.Append(" a  b ");
        text.SetLeaveOutBlankGlyphs(leaveOut);
        text.Draw();
        return Frame().pixels;
    };
    const std::vector<uint32_t> all = frame(false);
    EXPECT_TRUE(all == frame(true));
}

}  // namespace
