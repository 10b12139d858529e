// The graphics foundation's frame cycle over a RecordingDevice.
#include <gtest/gtest.h>

#include <chrono>

#include "runtime/ProcessState.h"
#include "support/TestSupport.h"
#include "testing/DxgTesting.h"

namespace {

using gfx::Result;
using Calls = std::vector<std::string>;

class DxgFrame : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        device->ClearRecord();
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    void TearDown() override { ResetProcessState(); }
    gfx::RecordingDevice* device = nullptr;
};

TEST_F(DxgFrame, FrameCycleAndItsMisuse) {
    ASSERT_TRUE(DXG::BeginFrame(0.02f, true, true));
    DXG::Clear(0xFF102030, true, true);
    EXPECT_FALSE(DXG::BeginFrame(0.02f, true, true));  // not matched by EndFrame0
    DXG::EndFrame0();
    DXG::EndFrame1();
    DXG::EndFrame0();  // no frame open: no scene is ended
    EXPECT_EQ(device->CallTexts(),
              (Calls{"TestCooperativeLevel", "BeginScene", "Clear(3,FF102030,1,0)", "EndScene", "Present"}));
    std::string log = LogText(errorLog);
    EXPECT_TRUE(
        log.starts_with("Error: Previous BeginFrame call was not matched with an EndFrame call\n"
                        "  -2nd call made from:\n"))
        << log;
    EXPECT_TRUE(
        log.ends_with("\nEndFrame should not be called if BeginFrame was not successfully called before.\n"));
}

int losses = 0;

TEST_F(DxgFrame, HandlersRunOncePerLossAndAResetRestoresTheDefaultStates) {
    losses = 0;
    DXG::AddDeviceLostHandler([] { ++losses; });
    device->cooperativeLevel = Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    device->SetRenderState(gfx::RenderState::Lighting, 1);
    device->ClearRecord();
    ASSERT_TRUE(DXG::BeginFrame(3.0f, true, true));  // reset
    Calls calls = device->CallTexts();
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 4),
              (Calls{"TestCooperativeLevel", "Reset", "BeginScene", "SetRenderState(CullMode,3)"}));
    EXPECT_EQ(device->GetRenderState(gfx::RenderState::Lighting), 0u);
    DXG::EndFrame0();
    device->cooperativeLevel = Result::DeviceNotReset;  // a second loss
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_EQ(losses, 2);
    DXG::Shutdown();
    EXPECT_EQ(LogText(statLog).find("Average framerate"), std::string::npos);  // the reset frame: not counted
}

TEST_F(DxgFrame, LostDeviceWaitsAndNothingIsDrawn) {
    device->cooperativeLevel = Result::DeviceLost;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, true));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    device->ClearRecord();
    DXG::Clear(0xFFFFFFFF, true, true);
    DXG::SetDefaultRenderStates();
    EXPECT_EQ(device->CallTexts(), Calls{});
}

TEST(DxgClear, FlagsFollowTheArgumentsAndTheDepthFormat) {
    struct Case {
        bool stencil, colour, depth;
        const char* call;
    } cases[] = {{false, false, true, "Clear(2,80FF0000,1,0)"},
                 {true, true, false, "Clear(5,80FF0000,1,0)"}};  // stencil whenever the depth buffer has it
    for (const Case& c : cases) {
        DXG::Setup setup;
        setup.stencil = c.stencil;
        gfx::RecordingDevice* device = DXG::InitRecordingForTests(&setup);
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
        device->ClearRecord();
        DXG::Clear(0x80FF0000, c.colour, c.depth);
        EXPECT_EQ(device->CallTexts(), Calls{c.call});
    }
    ResetProcessState();
}

TEST_F(DxgFrame, ResourcesOutliveTheDevice) {
    std::shared_ptr<gfx::Texture> texture;
    std::shared_ptr<gfx::VertexBuffer> buffer;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, gfx::fmt::A8R8G8B8, gfx::Pool::Managed, &texture),
              Result::Ok);
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, gfx::kFvfWorld, gfx::Pool::Managed, &buffer), Result::Ok);
    DXG::Shutdown();  // the device goes; handles elsewhere still hold their resources
    gfx::LockedRect rect;
    EXPECT_EQ(texture->LockRect(0, &rect, 0), Result::Ok);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), Result::Ok);
}

}  // namespace
