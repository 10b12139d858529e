// The world passes on the OpenGL device, judged at screen points projected from the camera's placement.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "WorldPassTestSupport.h"
#include "support/GlFrameTest.h"

namespace {

using namespace worldtest;

constexpr int kCentre = 20;
constexpr std::uint32_t kFloorColour = 0x406080, kWallColour = 0x30C060, kDreamColour = 0x000050;

int Channel(std::uint32_t rgb, int shift) {
    return int(rgb >> shift & 255);
}
// Channel by channel: a * weight + b * (1 - weight).
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double weight) {
    std::uint32_t out = 0;
    for (int shift : {16, 8, 0})
        out |= std::uint32_t(std::lround(Channel(a, shift) * weight + Channel(b, shift) * (1 - weight)))
               << shift;
    return out;
}
#define EXPECT_COLOUR_NEAR(actual, expected, tolerance)                      \
    for (int shift : {16, 8, 0})                                             \
    EXPECT_NEAR(Channel(actual, shift), Channel(expected, shift), tolerance) \
        << std::hex << "got " << (actual) << " expected " << (expected)

class WorldPassesGl : public GlFrameTest {
protected:
    void SetUp() override {
        GlFrameTest::SetUp();
        if (IsSkipped()) return;
        WriteImage("data/walls/stone1.bmp", 64, [](int, int) { return 0xFF000000u | kWallColour; });
        WriteImage("data/misc/dream0.dds", 64, [](int, int) { return 0xFF000000u | kDreamColour; });
        WriteBlockFont("data/font12.dds", 'M');
        LoadTestColours();
        Start(false);
        ASSERT_TRUE(createWorldRenderers());
        EmptyMap(kCentre, kCentre, kCentre);
        setHoverCell(-100, -100);
        OpenFrame();
    }
    // The pixel under a world point: eye 1.7 cells toward the starting yaw (pi / 4), 4 high, fov 1.57.
    std::uint32_t At(float x, float y, float z, glm::ivec2 offset = {0, 0}) {
        const glm::vec3 eye(kCentre + 1.7f * std::cos(0.7853982f), kCentre + 1.7f * std::sin(0.7853982f),
                            4.0f);
        const glm::mat4 view = glm::lookAtLH(eye, glm::vec3(kCentre, kCentre, 0), glm::vec3(0, 0, 1));
        const glm::vec4 clip =
            glm::perspectiveLH_ZO(1.57f, 4.0f / 3.0f, 1.0f, 100.0f) * view * glm::vec4(x, y, z, 1);
        pixel =
            glm::ivec2(std::lround((clip.x / clip.w + 1) * 400), std::lround((1 - clip.y / clip.w) * 300)) +
            offset;
        return Rgb(std::uint32_t(pixel.x), std::uint32_t(pixel.y));
    }

    ScratchFolder folder{"world-passes-gl"};
    WorkingDirectory cwd{folder.path()};
    glm::ivec2 pixel;  // of the last At
};

TEST_F(WorldPassesGl, FloorWallHoverSquareAndAvatarTipShowWhereTheCameraPutsThem) {
    WriteImage(
        "floor.dds", 64, [](int, int) { return 0xFF000000u | kFloorColour; }, false);
    std::vector<DXG::Texture> textures(1);
    ASSERT_TRUE(textures[0].Load("floor.dds", DXG::OPAQUE, false, false));
    FillFloors(2 * kCentre, 0);
    setFloorTextures(textures);
    const float c = kCentre;
    setWallLowX(c - 4, c, 1);  // the wall on x = c - 4.5
    setHoverCell(c - 1, c - 2);
    CharacterRecord avatar;
    avatar.x = c - 2, avatar.y = c + 1, avatar.direction = 3;  // tip at (x + 0.2, y)
    avatar.colors[0] = 5, avatar.colors[5] = 9;
    AddCharacter(avatar);
    renderWorld();

    EXPECT_COLOUR_NEAR(At(c - 2, c - 3, 0), kFloorColour, 2);
    EXPECT_COLOUR_NEAR(At(c - 4.5f, c, 0.5f), kWallColour, 2);
    EXPECT_COLOUR_NEAR(At(c - 1, c - 2, 0.1f), Mix(0xCCFFCC, kFloorColour, 0x60 / 255.0), 3);
    // 7/8 of the way to the tip: opaque vest and half-transparent fur interpolated, blended over the floor.
    const double w = 0.875, alpha = (w * 255 + (1 - w) * 128) / 255;
    EXPECT_COLOUR_NEAR(At(c - 2 + 0.15f, c + 1, 0.3f), Mix(Mix(kVest9, kFur5, w), kFloorColour, alpha), 6);
}

TEST_F(WorldPassesGl, DreamCylinderHidesNothingDrawnAfterItAndItsLabelFloatsAbove) {
    const float mx = kCentre - 3, my = kCentre - 2;
    AddDreamMarker({int(mx), int(my), "M", "M"});
    renderWorld();
    EXPECT_COLOUR_NEAR(At(mx, my, 1.0f), kDreamColour, 2);

    // The label's lines start 4 pixels left of the point 1.5 above the cell: white "M", grey "M" below.
    EXPECT_COLOUR_NEAR(At(mx, my, 1.5f, {2, 5}), 0xFFFFFFu, 2);
    EXPECT_COLOUR_NEAR(At(mx, my, 1.5f, {2, 17}), 0xC8C8C8u, 2);
    EXPECT_COLOUR_NEAR(At(mx, my, 1.5f, {-12, 5}), kDreamColour, 2);
    const int labelFoot = pixel.y + 19;
    At(mx, my, 0);
    EXPECT_LT(labelFoot, pixel.y);

    // A red floor square drawn after the passes with the depth test on shows through the cylinder.
    const std::uint32_t red = 0xFFFF0000;
    const float l = mx - 4, r = mx + 4, t = my - 4, b = my + 4;
    const gfx::WorldVertex square[6] = {{l, t, .01f, 0, 0, -1, red, 0, 0}, {r, t, .01f, 0, 0, -1, red, 0, 0},
                                        {r, b, .01f, 0, 0, -1, red, 0, 0}, {r, b, .01f, 0, 0, -1, red, 0, 0},
                                        {l, t, .01f, 0, 0, -1, red, 0, 0}, {l, b, .01f, 0, 0, -1, red, 0, 0}};
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetTexture(0, nullptr);
    device->SetFVF(gfx::kFvfWorld);
    device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 2, square, sizeof(gfx::WorldVertex));
    EXPECT_COLOUR_NEAR(At(mx, my, 1.0f), 0xFF0000u, 2);
}

}  // namespace
