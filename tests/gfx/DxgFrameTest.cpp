// The graphics foundation's frame cycle, lost-device rules, clears and default states over a RecordingDevice.
#include <gtest/gtest.h>

#include <chrono>

#include "gfx/DxgTesting.h"
#include "support/TestSupport.h"

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
        lostCalls.clear();
    }
    void TearDown() override { DXG::resetForTests(); }
    gfx::RecordingDevice* device = nullptr;
    static std::vector<int> lostCalls;
};
std::vector<int> DxgFrame::lostCalls;

TEST_F(DxgFrame, DrawnFrameBeginsEndsAndPresents) {
    ASSERT_TRUE(DXG::BeginFrame(0.02f, true, true));
    DXG::Clear(0xFF102030, true, true);
    DXG::EndFrame0();
    DXG::EndFrame1();
    EXPECT_EQ(device->CallTexts(),
              (Calls{"TestCooperativeLevel", "BeginScene", "Clear(3,FF102030,1,0)", "EndScene", "Present"}));
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(DxgFrame, SecondBeginFrameWithoutEndIsRefused) {
    ASSERT_TRUE(DXG::BeginFrame(0.02f, true, true));
    EXPECT_FALSE(DXG::BeginFrame(0.02f, true, true));
    std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Error: Previous BeginFrame call was not matched with an EndFrame call\n"
                        "  -2nd call made from:\n",
                        0),
              0u)
        << log;
    EXPECT_EQ(device->CountCalls("BeginScene"), 1u);
}

TEST_F(DxgFrame, EndFrame0WithoutBeginEndsNoScene) {
    DXG::EndFrame0();
    EXPECT_EQ(LogText(errorLog),
              "EndFrame should not be called if BeginFrame was not successfully called before.\n");
    EXPECT_EQ(device->CountCalls("EndScene"), 0u);
}

TEST_F(DxgFrame, FailedBeginSceneGivesNoFrame) {
    device->beginSceneResult = Result::Fail;
    EXPECT_FALSE(DXG::BeginFrame(0.02f, true, true));
    DXG::EndFrame0();
    EXPECT_EQ(LogText(errorLog),
              "EndFrame should not be called if BeginFrame was not successfully called before.\n");
}

int lossCount = 0;
std::string lossOrder;
void CountLoss() {
    ++lossCount;
    lossOrder += "a";
}
void SecondHandler() {
    lossOrder += "b";
}

TEST_F(DxgFrame, HandlersRunOncePerLossInRegistrationOrder) {
    lossCount = 0;
    lossOrder.clear();
    DXG::AddDeviceLostHandler(CountLoss);
    DXG::AddDeviceLostHandler(SecondHandler);
    device->cooperativeLevel = Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_EQ(lossCount, 1);
    EXPECT_EQ(lossOrder, "ab");
    EXPECT_TRUE(DXG::IsDeviceLost());
    EXPECT_TRUE(DXG::BeginFrame(0.01f, true, true));  // the reset succeeds
    EXPECT_FALSE(DXG::IsDeviceLost());
    DXG::EndFrame0();
    device->cooperativeLevel = Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_EQ(lossCount, 2);
}

TEST_F(DxgFrame, LostDeviceWaitsAndDrawsNothing) {
    device->cooperativeLevel = Result::DeviceLost;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, true));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    device->ClearRecord();
    DXG::Clear(0xFFFFFFFF, true, true);  // nothing while lost
    DXG::SetDefaultRenderStates();
    EXPECT_EQ(device->CallTexts(), Calls{});
    EXPECT_EQ(device->CountCalls("Reset"), 0u);
}

TEST_F(DxgFrame, ResetFrameRestoresDefaultStatesAndIsNotCounted) {
    device->cooperativeLevel = Result::DeviceNotReset;
    device->SetRenderState(gfx::RenderState::Lighting, 1);
    device->ClearRecord();
    ASSERT_TRUE(DXG::BeginFrame(3.0f, true, true));
    Calls calls = device->CallTexts();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 4),
              (Calls{"TestCooperativeLevel", "Reset", "BeginScene", "SetRenderState(CullMode,3)"}));
    EXPECT_EQ(device->GetRenderState(gfx::RenderState::Lighting), 0u);
    DXG::EndFrame0();
    DXG::Shutdown();
    EXPECT_EQ(LogText(statLog).find("Average framerate"), std::string::npos);
}

struct ResetCase {
    const char* name;
    Result reset;
    bool failed;
    const char* errorText;
};
class DxgReset : public DxgFrame, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(DxgReset, ResetErrors) {
    device->cooperativeLevel = Result::DeviceNotReset;
    device->resetResult = GetParam().reset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, true));
    EXPECT_EQ(DXG::HasFailed(), GetParam().failed);
    EXPECT_EQ(LogText(errorLog), GetParam().errorText);
    EXPECT_TRUE(DXG::IsDeviceLost());
}

INSTANTIATE_TEST_SUITE_P(Table, DxgReset,
                         ::testing::Values(ResetCase{"DriverError", Result::DriverInternalError, true,
                                                     "Internal graphics driver error occured\n"},
                                           ResetCase{"OutOfMemory", Result::OutOfVideoMemory, true,
                                                     "Graphics device out of memory\n"},
                                           ResetCase{"OtherFailure", Result::DeviceLost, false, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DxgFrame, OtherCooperativeCodesGiveNoFrame) {
    device->cooperativeLevel = Result::DriverInternalError;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, true));
    EXPECT_EQ(device->CountCalls("Reset"), 0u);
    EXPECT_FALSE(DXG::HasFailed());
}

struct ClearCase {
    const char* name;
    bool stencil;
    bool colour, depth;
    const char* call;
};
class DxgClear : public ::testing::TestWithParam<ClearCase> {
protected:
    void TearDown() override { DXG::resetForTests(); }
};

TEST_P(DxgClear, FlagsFollowTheArgumentsAndTheDepthFormat) {
    DXG::Setup setup;
    setup.stencil = GetParam().stencil;
    gfx::RecordingDevice* device = DXG::InitRecordingForTests(&setup);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    device->ClearRecord();
    DXG::Clear(0x80FF0000, GetParam().colour, GetParam().depth);
    EXPECT_EQ(device->CallTexts(), Calls{GetParam().call});
    DXG::EndFrame0();
}

INSTANTIATE_TEST_SUITE_P(
    Table, DxgClear,
    ::testing::Values(ClearCase{"Both", false, true, true, "Clear(3,80FF0000,1,0)"},
                      ClearCase{"ColourOnly", false, true, false, "Clear(1,80FF0000,1,0)"},
                      ClearCase{"DepthOnly", false, false, true, "Clear(2,80FF0000,1,0)"},
                      ClearCase{"StencilAlways", true, true, false, "Clear(5,80FF0000,1,0)"},
                      ClearCase{"StencilWithDepth", true, true, true, "Clear(7,80FF0000,1,0)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DxgFrame, DefaultRenderStatesInOrder) {
    DXG::SetDefaultRenderStates();
    Calls calls = device->CallTexts();
    Calls head(calls.begin(), calls.begin() + 11);
    EXPECT_EQ(head,
              (Calls{"SetRenderState(CullMode,3)", "SetRenderState(Lighting,0)", "SetRenderState(Clipping,1)",
                     "SetRenderState(FillMode,3)", "SetRenderState(ShadeMode,2)",
                     "SetRenderState(AlphaBlendEnable,1)", "SetRenderState(SrcBlend,5)",
                     "SetRenderState(DestBlend,6)", "SetRenderState(AlphaTestEnable,1)",
                     "SetRenderState(AlphaRef,0)", "SetRenderState(AlphaFunc,5)"}));
    Calls stage0(calls.begin() + 11, calls.begin() + 17);
    EXPECT_EQ(stage0, (Calls{"SetTextureStageState(0,ColorOp,4)", "SetTextureStageState(0,ColorArg1,2)",
                             "SetTextureStageState(0,ColorArg2,0)", "SetTextureStageState(0,AlphaOp,4)",
                             "SetTextureStageState(0,AlphaArg1,2)", "SetTextureStageState(0,AlphaArg2,0)"}));
    EXPECT_EQ(calls[17], "SetTextureStageState(1,ColorOp,1)");
    EXPECT_EQ(calls[30], "SetTextureStageState(7,AlphaOp,1)");
    EXPECT_EQ(calls[31], "SetSamplerState(0,MipFilter,2)");
    EXPECT_EQ(calls[31 + 48 - 1], "SetSamplerState(15,MagFilter,2)");
    EXPECT_EQ(
        Calls(calls.end() - 3, calls.end()),
        (Calls{"SetRenderState(ZEnable,1)", "SetRenderState(ZFunc,4)", "SetRenderState(StencilEnable,0)"}));
    EXPECT_EQ(calls.size(), 31u + 48u + 3u);
}

TEST_F(DxgFrame, TextureFiltersSetEverySampler) {
    DXG::SetTextureFilters(gfx::filter::Point, gfx::filter::None);
    EXPECT_EQ(device->CountCalls("SetSamplerState"), 48u);
    for (uint32_t s = 0; s < 16; ++s) {
        EXPECT_EQ(device->GetSamplerState(s, gfx::SamplerState::MinFilter), gfx::filter::Point);
        EXPECT_EQ(device->GetSamplerState(s, gfx::SamplerState::MagFilter), gfx::filter::Point);
        EXPECT_EQ(device->GetSamplerState(s, gfx::SamplerState::MipFilter), gfx::filter::None);
    }
}

TEST_F(DxgFrame, ScreenshotFailuresAreReported) {
    EXPECT_FALSE(DXG::SaveScreenshot("no such folder\\shot.png"));
    EXPECT_EQ(LogText(errorLog), "Failed to save screenshot no such folder\\shot.png\n");
    ClearLog(errorLog);
    DXG::Shutdown();
    EXPECT_FALSE(DXG::SaveScreenshot("shot.png"));
    EXPECT_EQ(LogText(errorLog), "Failed to save screenshot shot.png\n");
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
    EXPECT_EQ(texture->UnlockRect(0), Result::Ok);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), Result::Ok);
    EXPECT_EQ(buffer->Unlock(), Result::Ok);
}

}  // namespace
