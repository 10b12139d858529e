// Present under Xvfb: the 800 x 600 frame scaled at 4:3 into any window, centred between black bars.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "gfx/gl/GlDevice.h"
#include "support/GlFrameTest.h"

namespace {

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

TEST_F(PresentGl, AfterADeviceLossAndResetTwiceTheSizeDoublesEachPixel) {
    Start();
    DXG::EndFrame0();
    DXG::EndFrame1();
    inFrame = false;
    auto* gl = dynamic_cast<gfx::GlDevice*>(device);
    ASSERT_NE(gl, nullptr);
    gl->cooperativeLevel = gfx::Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    ASSERT_NO_FATAL_FAILURE(OpenFrame());          // the device reset
    DrawQuad(device, 0, 0, 800, 600, 0xFF203040);  // one-pixel lines in several colours over a field
    for (int x = 1; x < 800; x += 7)
        DrawQuad(device, float(x), 0, float(x + 1), 600, 0xFFFF0000 | uint32_t(x % 256) << 8);
    for (int y = 3; y < 600; y += 5)
        DrawQuad(device, 0, float(y), 800, float(y + 1), 0xFF00FF00 | uint32_t(y % 256));
    DrawQuad(device, 799, 599, 800, 600, 0xFFFFFFFF);
    const gfx::Image frame = Frame(), big = Presented(1600, 1200);  // each pixel a 2 x 2 block
    ASSERT_EQ(std::pair(big.width, big.height), std::pair(1600u, 1200u));
    int wrong = 0;
    for (uint32_t y = 0; y < 1200; ++y)
        for (uint32_t x = 0; x < 1600; ++x)
            wrong += (big.At(x, y) & 0xFFFFFF) != (frame.At(x / 2, y / 2) & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
