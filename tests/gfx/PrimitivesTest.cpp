// The 2-D primitives and vertex buffers over a RecordingDevice.
#include <gtest/gtest.h>

#include <cmath>

#include "ImageTestSupport.h"
#include "gfx/Primitives.h"

namespace {

struct V {
    float x, y;
    uint32_t colour;
    float u, v;
};

void ExpectVertices(const gfx::RecordedDraw& d, const std::vector<V>& expected) {
    ASSERT_EQ(d.VertexCount(), expected.size());
    for (uint32_t i = 0; i < expected.size(); ++i) {
        gfx::ScreenVertex s = d.Screen(i);
        const V& e = expected[i];
        EXPECT_TRUE(std::abs(s.x - e.x) < 1e-4 && std::abs(s.y - e.y) < 1e-4 && std::abs(s.u - e.u) < 1e-6 &&
                    std::abs(s.v - e.v) < 1e-6 && s.colour == e.colour && s.z == 0 && s.rhw == 1)
            << "vertex " << i << ": " << s.x << "," << s.y << " " << s.u << "," << s.v;
    }
}

class PrimitivesTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        ASSERT_TRUE(texture.Create(64, 32, DXG::OPAQUE));
        device->ClearRecord();
    }
    void TearDown() override {
        texture.SRFree();
        RecordingTest::TearDown();
    }
    DXG::Texture texture;
};

// Its pixel rectangle with half-texel insets, from memory with the depth test off.
TEST_F(PrimitivesTest, PlacedTextureDrawsItsPixelRectangleFromMemoryWithTheDepthTestOff) {
    const uint32_t w = 0xffffffff;
    const float u0 = 0.5f / 64, u1 = 1 - 0.5f / 64, v0 = 0.5f / 32, v1 = 1 - 0.5f / 32;
    device->SetRenderState(gfx::RenderState::ZEnable, 1);
    device->ClearRecord();
    DXG::DrawTexture(10.0f, 20.0f, texture, 1.0f);
    ASSERT_EQ(device->draws.size(), 1u);
    const auto& d = device->draws[0];
    EXPECT_EQ(std::make_tuple(d.type, d.primitiveCount, d.fromMemory, d.fvf, d.stride,
                              d.State(gfx::RenderState::ZEnable)),
              std::make_tuple(gfx::PrimitiveType::TriangleFan, 2u, true, gfx::kFvfScreen, 28u, 0u));
    ExpectVertices(d, {{10.5f, 20.5f, w, u0, v0},
                       {74.5f, 20.5f, w, u1, v0},
                       {74.5f, 52.5f, w, u1, v1},
                       {10.5f, 52.5f, w, u0, v1}});
}

TEST_F(PrimitivesTest, BlankTextureIsReportedAndLostDeviceSkipsDrawingSilently) {
    DXG::Texture blank;
    DXG::DrawTexture(0, 0, blank, 1.0f);
    EXPECT_TRUE(device->draws.empty());
    EXPECT_TRUE(Log().starts_with("Error: Attempt to draw using a blank texture.\n  -attempt made from:\n"));

    DXG::EndFrame0();
    device->cooperativeLevel = gfx::Result::DeviceLost;
    EXPECT_FALSE(DXG::BeginFrame(0.0f, false, false));
    ClearLog(errorLog);
    device->ClearRecord();
    DXG::DrawTexture(0, 0, texture, 1.0f);
    EXPECT_TRUE(device->calls.empty());
    EXPECT_EQ(Log(), "");
}

}  // namespace
