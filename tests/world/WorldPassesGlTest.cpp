// The world passes drawn by the OpenGL device under Xvfb, judged by pixels at the screen points that the
// test itself projects from the camera (eye 1.7 cells from the player's cell toward the yaw, 4 high,
// vertical field of view 1.57, aspect 4 : 3, 800 x 600): floor, wall, hover square, avatar tip, a dream
// cylinder that hides nothing drawn after it, and a label above its marker.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "WorldPassTestSupport.h"
#include "gfx/DXG.h"
#include "platform/Window.h"
#include "runtime/ProcessState.h"

namespace {

using worldtest::EmptyMap;

constexpr int kCentre = 20;
constexpr std::uint32_t kFloorColour = 0x406080, kWallColour = 0x30C060, kDreamColour = 0x000050;

int Channel(std::uint32_t rgb, int shift) {
    return int(rgb >> shift & 255);
}
// rgb drawn with alpha (0..1) over the colour below.
std::uint32_t Blend(std::uint32_t rgb, double alpha, std::uint32_t below) {
    std::uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        out |= std::uint32_t(std::lround(Channel(rgb, shift) * alpha + Channel(below, shift) * (1 - alpha)))
               << shift;
    }
    return out;
}

class WorldPassesGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::WindowSettings settings{"WorldPassesGl", "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok)
            window = nullptr;
    }
    static void TearDownTestSuite() {
        ResetProcessState();
        platform::DestroyAppWindow(window);
        window = nullptr;
    }
    void SetUp() override {
        if (!window) GTEST_SKIP() << "no display";
        ResetProcessState();
        worldtest::WriteSolidBmp("data/walls/stone1.bmp", 64, kWallColour);
        worldtest::WriteDds("data/misc/dream0.dds", 64, [](int, int) { return 0xFF000000u | kDreamColour; });
        worldtest::WriteBlockFont("data/font12.dds", 'M');
        worldtest::LoadTestColours();
        DXG::Setup setup;
        ASSERT_TRUE(DXG::Init(window, &setup)) << LogText(errorLog);
        device = DXG::GetDevice();
        ASSERT_TRUE(createWorldRenderers());
        EmptyMap(kCentre, kCentre, kCentre);
        setHoverCell(-100, -100);
        ASSERT_TRUE(DXG::BeginFrame(0.01f, false, false));
        DXG::Clear(0xFF000000, true, true);
    }
    void TearDown() override {
        if (device != nullptr) DXG::EndFrame0();
        ResetProcessState();
    }
    // The pixel under a world point, projected with the camera at its starting yaw (pi / 4).
    static glm::ivec2 Pixel(float x, float y, float z) {
        const float yaw = 0.7853982f;
        const glm::vec3 eye(kCentre + 1.7f * std::cos(yaw), kCentre + 1.7f * std::sin(yaw), 4.0f);
        const glm::mat4 view = glm::lookAtLH(eye, glm::vec3(kCentre, kCentre, 0), glm::vec3(0, 0, 1));
        const glm::mat4 projection = glm::perspectiveLH_ZO(1.57f, 4.0f / 3.0f, 1.0f, 100.0f);
        const glm::vec4 clip = projection * view * glm::vec4(x, y, z, 1.0f);
        return {int(std::lround((clip.x / clip.w + 1) * 400)), int(std::lround((1 - clip.y / clip.w) * 300))};
    }
    std::uint32_t At(const gfx::Image& image, glm::ivec2 p) {
        return image.At(std::uint32_t(p.x), std::uint32_t(p.y)) & 0xFFFFFF;
    }
    gfx::Image Frame() {
        gfx::Image image;
        EXPECT_TRUE(device->ReadRenderTarget(&image));
        return image;
    }

    static void* window;
    ScratchFolder folder{"world-passes-gl"};
    WorkingDirectory cwd{folder.path()};
    gfx::Device* device = nullptr;
};
void* WorldPassesGl::window = nullptr;

#define EXPECT_COLOUR_NEAR(actual, expected, tolerance)                      \
    for (int shift : {16, 8, 0})                                             \
    EXPECT_NEAR(Channel(actual, shift), Channel(expected, shift), tolerance) \
        << std::hex << "got " << (actual) << " expected " << (expected)

TEST_F(WorldPassesGl, FloorWallHoverSquareAndAvatarTipShowWhereTheCameraPutsThem) {
    std::vector<DXG::Texture> textures(1);
    ASSERT_TRUE(textures[0].Create(64, 64, DXG::OPAQUE));
    gfx::LockedRect rect;
    ASSERT_EQ(textures[0].GetDeviceTexture()->LockRect(0, &rect, gfx::kLockNone), gfx::Result::Ok);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            static_cast<std::uint32_t*>(rect.bits)[y * rect.pitch / 4 + x] = 0xFF000000 | kFloorColour;
    textures[0].GetDeviceTexture()->UnlockRect(0);
    worldtest::FillFloors(2 * kCentre, 0);
    setFloorTextures(textures);

    const int c = kCentre;
    setWallLowX(c - 4, c, 1);  // the wall on x = c - 4.5
    setHoverCell(c - 1, c - 2);
    CharacterRecord avatar;
    avatar.x = c - 2;
    avatar.y = c + 1;
    avatar.direction = 3;  // tip at (x + 0.2, y)
    avatar.colors[0] = 5;
    avatar.colors[5] = 9;
    AddCharacter(avatar);
    renderWorld();
    const gfx::Image image = Frame();

    EXPECT_COLOUR_NEAR(At(image, Pixel(c - 2.f, c - 3.f, 0)), kFloorColour, 2);
    EXPECT_COLOUR_NEAR(At(image, Pixel(c - 4.5f, c, 0.5f)), kWallColour, 2);
    EXPECT_COLOUR_NEAR(At(image, Pixel(c - 1.f, c - 2.f, 0.1f)), Blend(0xCCFFCC, 0x60 / 255.0, kFloorColour),
                       3);
    // Near the tip, 7/8 of the way from the rear edge: colour and alpha interpolated between the opaque
    // vest colour and the half-transparent fur colour, then blended over the floor.
    const double w = 0.875, alpha = (w * 255 + (1 - w) * 128) / 255;
    std::uint32_t mixed = 0;
    for (int shift : {16, 8, 0})
        mixed |= std::uint32_t(std::lround(w * Channel(worldtest::kVest9, shift) +
                                           (1 - w) * Channel(worldtest::kFur5, shift)))
                 << shift;
    EXPECT_COLOUR_NEAR(At(image, Pixel(c - 2 + 0.15f, c + 1.f, 0.3f)), Blend(mixed, alpha, kFloorColour), 6);
}

TEST_F(WorldPassesGl, DreamCylinderHidesNothingDrawnAfterItAndItsLabelFloatsAbove) {
    const float mx = kCentre - 3, my = kCentre - 2;
    AddDreamMarker({int(mx), int(my), "M", "M"});
    renderWorld();
    const gfx::Image frame = Frame();
    const glm::ivec2 axis = Pixel(mx, my, 1.0f);
    EXPECT_COLOUR_NEAR(At(frame, axis), kDreamColour, 2);

    // The label's lines ("M" each) start 4 pixels left of the projected point 1.5 above the cell: a
    // 12-pixel white glyph, then a light grey one 12 pixels lower, both above the marker's foot.
    const glm::ivec2 s = Pixel(mx, my, 1.5f);
    EXPECT_COLOUR_NEAR(At(frame, s + glm::ivec2(2, 5)), 0xFFFFFFu, 2);
    EXPECT_COLOUR_NEAR(At(frame, s + glm::ivec2(2, 17)), 0xC8C8C8u, 2);
    EXPECT_COLOUR_NEAR(At(frame, s + glm::ivec2(-12, 5)), kDreamColour, 2);  // nothing beside the glyph
    EXPECT_LT(s.y + 24, Pixel(mx, my, 0).y);

    // An opaque red floor square under the marker, drawn after the frame's passes with the depth test on:
    // where the cylinder stands in front of it, the square still shows.
    const std::uint32_t red = 0xFFFF0000;
    const gfx::WorldVertex square[6] = {
        {mx - 4, my - 4, 0.01f, 0, 0, -1, red, 0, 0}, {mx + 4, my - 4, 0.01f, 0, 0, -1, red, 0, 0},
        {mx + 4, my + 4, 0.01f, 0, 0, -1, red, 0, 0}, {mx + 4, my + 4, 0.01f, 0, 0, -1, red, 0, 0},
        {mx - 4, my - 4, 0.01f, 0, 0, -1, red, 0, 0}, {mx - 4, my + 4, 0.01f, 0, 0, -1, red, 0, 0}};
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetFVF(gfx::kFvfWorld);
    device->SetTexture(0, nullptr);
    device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 2, square, sizeof(gfx::WorldVertex));
    EXPECT_COLOUR_NEAR(At(Frame(), axis), 0xFF0000u, 2);
}

}  // namespace
