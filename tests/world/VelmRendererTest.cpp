// The world renderer over a recording device: window of cells, camera keys, view, picking, floor slots.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "WorldPassTestSupport.h"
#include "runtime/Keyboard.h"
#include "runtime/ProcessState.h"
#include "support/HeldKeys.h"
#include "testing/DxgTesting.h"

namespace {

using worldtest::ScreenOf;

class VelmRenderer : public ::testing::Test {
protected:
    void SetUp() override { FreshProcess(); }
    void TearDown() override { ResetProcessState(); }
    void FreshProcess() {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        KeyboardStateManager::SetSource(&keys);
        ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false));
    }
    static void PlaceOnMap(int cx, int cy) { worldtest::EmptyMap(20, cx, cy); }  // grid side 40
    HeldKeys keys;
    gfx::RecordingDevice* device = nullptr;
};

TEST_F(VelmRenderer, WindowIsThe31CellSquareAroundThePlayerClippedToTheMap) {
    PlaceOnMap(30, 3);
    const WorldView v = CurrentWorldView();
    EXPECT_EQ((std::vector<int>{v.x0, v.y0, v.x1, v.y1}), (std::vector<int>{15, 0, 39, 18}));
    EXPECT_FALSE(v.contains(v.x0 - 1, v.y0) || v.contains(v.x1, v.y1 + 1));
}

TEST_F(VelmRenderer, KeypadTurnsTheCameraAndKeypad5Recentres) {
    constexpr float kPi = 3.14159265f;
    const struct {
        std::vector<uint8_t> held;
        float seconds, yaw;
    } rows[] = {{{kScanKeypad4}, 0.5f, 7 * kPi / 4},  // below 0 wraps up by a turn
                {{kScanKeypad6}, 2.0f, kPi / 4},      // above a turn wraps down
                {{kScanKeypad4, kScanKeypad5}, 0.3f, kPi / 4}};
    for (const auto& row : rows) {
        FreshProcess();
        std::fill(std::begin(keys.down), std::end(keys.down), 0);
        for (uint8_t key : row.held) keys.down[key] = 0x80;
        KeyboardStateManager::Update();
        updateCamera(row.seconds);
        EXPECT_NEAR(CameraYaw(), row.yaw, 1e-5) << row.seconds;
    }
}

TEST_F(VelmRenderer, ViewCentresThePlayerCellAndPickingNamesTheNearestCell) {
    PlaceOnMap(3, 0);
    renderWorld();
    EXPECT_NEAR(ScreenOf(3, 0).x, 400.0f, 0.5f);
    EXPECT_NEAR(ScreenOf(3, 0).y, 300.0f, 0.5f);
    EXPECT_GT(ScreenOf(4, -1).x, 410.0f);  // left-handed: seen from (+x, +y), +x -y lies to the right
    // Cell (gx, gy) covers [gx - 0.5, gx + 0.5]^2; truncation would give (3, 0) and (0, 1) here.
    for (const auto& p : {std::array{3.7f, -0.2f, 4.f, 0.f}, std::array{-0.7f, 1.4f, -1.f, 1.f}}) {
        const gfx::Vector3 s = ScreenOf(p[0], p[1]);
        int gx = -99, gy = -99;
        ASSERT_TRUE(pickCell(int(std::lround(s.x)), int(std::lround(s.y)), gx, gy));
        EXPECT_EQ(std::pair(gx, gy), std::pair(int(p[2]), int(p[3]))) << p[0] << "," << p[1];
    }

    // A level camera never meets the floor; a view that cannot be inverted gives no ray.
    gfx::Matrix level{}, world = gfx::Matrix::Identity();
    level.m[2] = level.m[4] = level.m[9] = level.m[15] = world.m[12] = 1.0f;
    device->SetTransform(gfx::TransformType::View, level);
    device->SetTransform(gfx::TransformType::World, world);
    for (const bool degenerate : {false, true}) {
        if (degenerate) device->SetTransform(gfx::TransformType::Projection, gfx::Matrix{});
        int gx = 7, gy = 8;
        EXPECT_FALSE(pickCell(400, 300, gx, gy));
        EXPECT_EQ(std::make_pair(gx, gy), std::make_pair(7, 8));
    }
    EXPECT_EQ(device->GetTransform(gfx::TransformType::World), world);
}

TEST_F(VelmRenderer, FloorPassTakesTheFirst256TexturesAndCellChangesInTheWindow) {
    PlaceOnMap(3, 3);
    EXPECT_FALSE(notifyCellChanged(3, 3));  // no floor pass yet
    ASSERT_TRUE(createWorldRenderers());
    EXPECT_TRUE(notifyCellChanged(18, 18));
    EXPECT_FALSE(notifyCellChanged(19, 3));
    std::vector<DXG::Texture> textures(300);
    for (DXG::Texture& texture : textures) ASSERT_TRUE(texture.Create(64, 64, DXG::OPAQUE));
    setFloorTextures(textures);
    EXPECT_EQ(std::pair(textures[255].GetRecord()->count, textures[256].GetRecord()->count),
              std::pair(2u, 1u));
    destroyWorldRenderers();
    EXPECT_EQ(textures[255].GetRecord()->count, 1u);
}

}  // namespace
