// The world renderer over a recording device: the window of drawn cells, the camera keys, the view that
// renderWorld sets up, picking with its refusal of rays along the floor, and what reaches the floor pass.
#include <gtest/gtest.h>

#include <cmath>

#include "data/DataTestFiles.h"
#include "net/VelmDataManager.h"
#include "runtime/Keyboard.h"
#include "runtime/ProcessState.h"
#include "testing/DxgTesting.h"
#include "world/VelmRenderer.h"

namespace {

constexpr float kPi = 3.14159265f;

class HeldKeys : public KeyboardSource {
public:
    uint8_t down[256] = {};
    bool CreateInterface() override { return true; }
    bool CreateDevice() override { return true; }
    bool Cooperate(void*, bool) override { return true; }
    bool Acquire() override { return true; }
    bool Poll() override { return true; }
    bool GetState(uint8_t keys[256]) override {
        std::copy(down, down + 256, keys);
        return true;
    }
    void Release() override {}
};

class VelmRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        FreshProcess();
        ClearLog(errorLog);
    }
    // A fresh process, the recording device and the keyboard on the held keys.
    void FreshProcess() {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        KeyboardStateManager::SetSource(&keys);
        ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false));
    }
    void TearDown() override { ResetProcessState(); }
    // A map whose grid side is 2 * half, the player at grid cell (cx, cy), taken in by one camera update.
    static void PlaceOnMap(int half, int cx, int cy) {
        const std::string bytes = MapFileBytes(half, half);
        ASSERT_TRUE(
            CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "m"));
        SetPlayerPosition(cx, cy);
        updateCamera(0.0f);
    }
    // One frame with the given keys held for dt seconds.
    void HoldKeys(std::initializer_list<uint8_t> held, float dt) {
        std::fill(std::begin(keys.down), std::end(keys.down), 0);
        for (uint8_t key : held) keys.down[key] = 0x80;
        KeyboardStateManager::Update();
        updateCamera(dt);
    }
    static gfx::Vector3 Screen(float x, float y, float z) {
        gfx::Vector3 s;
        DXG::WorldToScreen({x, y, z}, &s.x, &s.y);
        return s;
    }

    HeldKeys keys;
    gfx::RecordingDevice* device = nullptr;
};

TEST_F(VelmRenderer, WindowIsThe31CellSquareAroundThePlayerClippedToTheMap) {
    struct Row {
        int cx, cy, x0, y0, x1, y1;
    } rows[] = {{3, 3, 0, 0, 18, 18}, {30, 30, 15, 15, 39, 39}, {20, 5, 5, 0, 35, 20}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "centre " << row.cx << "," << row.cy);
        PlaceOnMap(20, row.cx, row.cy);
        int x0, y0, x1, y1;
        windowBounds(x0, y0, x1, y1);
        EXPECT_EQ((std::vector<int>{x0, y0, x1, y1}), (std::vector<int>{row.x0, row.y0, row.x1, row.y1}));
        EXPECT_TRUE(isCellVisible(row.x0, row.y0));
        EXPECT_TRUE(isCellVisible(row.x1, row.y1));
        EXPECT_FALSE(isCellVisible(row.x0 - 1, row.y0));
        EXPECT_FALSE(isCellVisible(row.x1, row.y1 + 1));
    }
}

TEST_F(VelmRenderer, KeypadTurnsTheCameraAndKeypad5Recentres) {
    struct Row {
        std::initializer_list<uint8_t> held;
        float seconds, yaw;
    } rows[] = {
        {{kScanKeypad4}, 0.5f, 7 * kPi / 4},  // below 0 wraps up by a turn
        {{kScanKeypad6}, 0.5f, 3 * kPi / 4},
        {{kScanKeypad6}, 2.0f, kPi / 4},  // above a turn wraps down
        {{kScanKeypad4, kScanKeypad5}, 0.3f, kPi / 4},
        {{kScanKeypad6, kScanKeypad5}, 0.3f, kPi / 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.seconds << " s, yaw " << row.yaw);
        FreshProcess();
        EXPECT_FLOAT_EQ(CameraYaw(), kPi / 4);
        HoldKeys(row.held, row.seconds);
        EXPECT_NEAR(CameraYaw(), row.yaw, 1e-5);
    }
}

TEST_F(VelmRenderer, ViewLooksDownAtThePlayerCellFromTheYawSide) {
    PlaceOnMap(20, 10, 12);
    renderWorld();
    const gfx::Vector3 centre = Screen(10, 12, 0);
    EXPECT_NEAR(centre.x, 400.0f, 0.5f);
    EXPECT_NEAR(centre.y, 300.0f, 0.5f);
    // The eye stands on the (+x, +y) side: the far side is higher on the screen, and +x - y is to the right.
    EXPECT_LT(Screen(8, 10, 0).y, centre.y);
    EXPECT_GT(Screen(11, 11, 0).x, centre.x + 10.0f);
    EXPECT_EQ(device->CountCalls("SetMaterial"), 4u);

    HoldKeys({kScanKeypad6}, 0.5f);  // yaw 3 pi / 4: the eye on the (-x, +y) side
    renderWorld();
    EXPECT_LT(Screen(12, 10, 0).y, centre.y);
}

TEST_F(VelmRenderer, PickedCellTruncatesTheFloorPointTowardZero) {
    PlaceOnMap(20, 3, 0);
    renderWorld();
    const gfx::Vector3 points[] = {{3.7f, -0.2f, 0}, {5.2f, 2.9f, 0}, {-0.6f, 1.5f, 0}};
    const int expected[][2] = {{3, 0}, {5, 2}, {0, 1}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(testing::Message() << points[i].x << "," << points[i].y);
        const gfx::Vector3 s = Screen(points[i].x, points[i].y, 0);
        int gx = -99, gy = -99;
        ASSERT_TRUE(pickCell(int(std::lround(s.x)), int(std::lround(s.y)), gx, gy));
        EXPECT_EQ(gx, expected[i][0]);
        EXPECT_EQ(gy, expected[i][1]);
    }
    EXPECT_EQ(device->GetTransform(gfx::TransformType::World), gfx::Matrix::Identity());
}

TEST_F(VelmRenderer, RayAlongTheFloorPicksNothingAndKeepsTheWorldTransform) {
    PlaceOnMap(20, 3, 0);
    renderWorld();
    // A camera at height 0 looking along +x: the ray through the screen centre never meets the floor.
    gfx::Matrix level{};
    level.m[2] = level.m[4] = level.m[9] = level.m[15] = 1.0f;
    device->SetTransform(gfx::TransformType::View, level);
    gfx::Matrix world = gfx::Matrix::Identity();
    world.m[12] = 5.0f;
    device->SetTransform(gfx::TransformType::World, world);
    int gx = 7, gy = 8;
    EXPECT_FALSE(pickCell(400, 300, gx, gy));
    EXPECT_EQ(gx, 7);
    EXPECT_EQ(gy, 8);
    EXPECT_EQ(device->GetTransform(gfx::TransformType::World), world);
}

TEST_F(VelmRenderer, FloorPassTakesTheFirst256TexturesAndCellChangesInTheWindow) {
    PlaceOnMap(20, 3, 3);
    EXPECT_FALSE(notifyCellChanged(3, 3));  // no floor pass yet
    ASSERT_TRUE(createWorldRenderers());
    ASSERT_NE(LabelText(), nullptr);
    EXPECT_TRUE(notifyCellChanged(18, 18));
    EXPECT_FALSE(notifyCellChanged(19, 3));

    std::vector<DXG::Texture> textures(300);
    for (DXG::Texture& texture : textures) ASSERT_TRUE(texture.Create(64, 64, DXG::OPAQUE));
    setFloorTextures(textures);
    EXPECT_EQ(textures[255].GetRecord()->count, 2u);  // shared by the slot
    EXPECT_EQ(textures[256].GetRecord()->count, 1u);  // held by the list alone

    destroyWorldRenderers();
    EXPECT_EQ(textures[255].GetRecord()->count, 1u);
    EXPECT_EQ(LabelText(), nullptr);
    EXPECT_FALSE(notifyCellChanged(3, 3));
}

}  // namespace
