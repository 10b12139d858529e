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

}  // namespace
