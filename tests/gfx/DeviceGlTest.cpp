// The OpenGL device under Xvfb, judged by the frames read back.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "gfx/DXG.h"
#include "gfx/gl/GlDevice.h"
#include "support/GlFrameTest.h"

namespace {

using gfx::Result;
using gfx::ScreenVertex;
using Prim = gfx::PrimitiveType;

ScreenVertex V(float x, float y, uint32_t colour) {
    return {x, y, 0, 1.0f, colour, 0, 0};
}

// Every test runs inside a frame over black, with the program's default states.
class DeviceGl : public GlFrameTest {
protected:
    void SetUp() override {
        GlFrameTest::SetUp();
        if (!IsSkipped()) Start();
    }
    void TearDown() override {
        if (inFrame && DXG::IsReady()) {
            DXG::EndFrame0();
            DXG::EndFrame1();
            inFrame = false;
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));  // the device never leaves an OpenGL error behind
        }
        GlFrameTest::TearDown();
    }
    void Draw(Prim type, std::vector<ScreenVertex> v, uint32_t count) {
        device->SetFVF(gfx::kFvfScreen);
        ASSERT_EQ(device->DrawPrimitiveUP(type, count, v.data(), sizeof(ScreenVertex)), Result::Ok);
    }
};

TEST_F(DeviceGl, PixelCoverageCullingAlphaTestAndBlending) {
    DrawQuad(device, 10, 20, 30, 30, 0xFFFFFFFF);
    EXPECT_EQ(
        std::vector<uint32_t>({Rgb(10, 20), Rgb(29, 29), Rgb(9, 20), Rgb(30, 20), Rgb(10, 19), Rgb(10, 30)}),
        std::vector<uint32_t>({0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0}));
    // Clockwise on screen (y down) is drawn; counter-clockwise is culled.
    Draw(Prim::TriangleList, {V(100, 10, 0xFFFF0000), V(150, 10, 0xFFFF0000), V(100, 60, 0xFFFF0000)}, 1);
    Draw(Prim::TriangleList, {V(200, 10, 0xFF00FF00), V(200, 60, 0xFF00FF00), V(250, 10, 0xFF00FF00)}, 1);
    EXPECT_EQ(Rgb(110, 20), 0xFF0000u);
    EXPECT_EQ(Rgb(210, 20), 0u);
    // Alpha 0 fails the alpha test; alpha 0x80 blends half over blue.
    DrawQuad(device, 300, 10, 320, 30, 0xFF0000FF);
    DrawQuad(device, 300, 10, 310, 30, 0x00FF0000);
    DrawQuad(device, 310, 10, 320, 30, 0x80FF0000);
    EXPECT_EQ(Rgb(305, 15), 0x0000FFu);
    EXPECT_NEAR(double(Rgb(315, 15) >> 16), 128.0, 2.0);
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
