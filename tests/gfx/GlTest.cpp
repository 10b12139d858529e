// The OpenGL device under Xvfb: presenting, text and a window gone from underneath it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/Primitives.h"
#include "gfx/gl/GlDevice.h"
#include "support/GlFrameTest.h"

namespace {

// Present: the 800 x 600 frame scaled at 4:3 into any window, centred between black bars.
class PresentGl : public GlFrameTest {
protected:
    gfx::Image Presented(int width, int height) {
        gfx::Image image;
        auto* gl = dynamic_cast<gfx::GlDevice*>(device);
        EXPECT_TRUE(gl && gl->ReadPresentedFrame(width, height, &image));
        return image;
    }
};

TEST_F(PresentGl, OtherShapesGetBlackBarsAndTheScaledPicture) {
    Start();
    DrawQuad(device, 0, 0, 800, 600, 0xFF4080C0);
    DrawQuad(device, 0, 0, 400, 300, 0xFFFF0000);  // the top left quarter
    struct Case {
        int width, height;
        uint32_t barX, barY;    // a pixel on a bar
        uint32_t redX, redY;    // well inside the top left quarter
        uint32_t blueX, blueY;  // well inside the rest
    } cases[] = {
        {1920, 1080, 100, 540, 400, 200, 1500, 900},  // bars left and right
        {700, 900, 350, 100, 100, 300, 600, 600},     // bars above and below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const gfx::Image image = Presented(c.width, c.height);
        EXPECT_EQ(image.At(c.barX, c.barY) & 0xFFFFFF, 0u);
        EXPECT_EQ(image.At(c.redX, c.redY) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(image.At(c.blueX, c.blueY) & 0xFFFFFF, 0x4080C0u);
    }
}

// Leaving blank glyphs out changes no byte: every glyph, runs of blanks, over a gradient and a background.
TEST_F(PresentGl, LeavingBlankGlyphsOutDrawsTheSameFrame) {
    Start();
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

// A window destroyed from outside before its destroy event is read: later frames are not shown, safely.
using DeviceGlWindowGone = GlFrameTest;

TEST_F(DeviceGlWindowGone, FramesAfterTheWindowWasDestroyedOutsideAreNotShown) {
    Start(false);
    ASSERT_EQ(RunCommand("xdotool search --name '^DeviceGlWindowGone$' windowclose"), 0);
    EXPECT_FALSE(platform::AppWindowCanShow(window));
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
        DXG::Clear(0xFF204060, true, true);
        DXG::EndFrame0();
        DXG::EndFrame1();
    }
}

}  // namespace
