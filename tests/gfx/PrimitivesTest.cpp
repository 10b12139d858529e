// The 2-D primitives and vertex buffers over a RecordingDevice.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
    const gfx::RecordedDraw& OnlyDraw() {
        EXPECT_EQ(device->draws.size(), 1u);
        return device->draws.at(0);
    }
    DXG::Texture texture;
};

TEST_F(PrimitivesTest, EachShapeDrawsItsVerticesFromMemoryWithTheDepthTestOff) {
    using P = gfx::PrimitiveType;
    const uint32_t w = 0xffffffff;
    const float u0 = 0.5f / 64, u1 = 1 - 0.5f / 64, v0 = 0.5f / 32, v1 = 1 - 0.5f / 32;
    const struct {
        const char* name;
        std::function<void()> draw;
        P type;
        uint32_t count;
        std::vector<V> vertices;
    } rows[] = {
        // clang-format off
        {"placed: its pixel rectangle, half-texel insets", [&] { DXG::DrawTexture(10.0f, 20.0f, texture, 1.0f); },
         P::TriangleFan, 2, {{10.5f, 20.5f, w, u0, v0}, {74.5f, 20.5f, w, u1, v0}, {74.5f, 52.5f, w, u1, v1},
                             {10.5f, 52.5f, w, u0, v1}}},
        {"gradient: a fan from the centre in the mean colour",
         [] { DXG::DrawGradient(10, 20, 100, 50, 0xff000000, 0xff000000, w, w); }, P::TriangleFan, 4,
         {{60, 45, 0xff7f7f7f, 0, 0}, {10, 20, 0xff000000, 0, 0}, {110, 20, 0xff000000, 0, 0},
          {110, 70, w, 0, 0}, {10, 70, w, 0, 0}, {10, 20, 0xff000000, 0, 0}}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        device->SetRenderState(gfx::RenderState::ZEnable, 1);
        device->ClearRecord();
        row.draw();
        const auto& d = OnlyDraw();
        EXPECT_EQ(std::make_tuple(d.type, d.primitiveCount, d.fromMemory, d.fvf, d.stride,
                                  d.State(gfx::RenderState::ZEnable)),
                  std::make_tuple(row.type, row.count, true, gfx::kFvfScreen, 28u, 0u));
        ExpectVertices(d, row.vertices);
    }
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
