// The graphics foundation's start-up, frame cycle and exit over the recording driver; the start-up check.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "gfx/GraphicsSupport.h"
#include "gfx/Texture.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"
#include "testing/DxgTesting.h"

namespace {

using gfx::Result;
namespace fmt = gfx::fmt;

class DxgInit : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { ResetProcessState(); }
    void Reset() {
        ResetProcessState();
        driver = std::make_shared<gfx::RecordingDriver>();
        DXG::SetDriver(driver);
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    bool Init(const DXG::Setup& setup = DXG::Setup()) {
        return DXG::Init(DXG::StandInWindowForTests(), &setup);
    }

    std::shared_ptr<gfx::RecordingDriver> driver;
};

TEST_F(DxgInit, FormatsFallBackInOrder) {
    const char* desktopWarning =
        "Windows desktop should be set to either 16 or 32 bit color to run in windowed "
        "mode... but will try it anyways...\n";
    const char* stencilWarning =
        "Warning: Couldn't find compatible stencil buffer format... reverting to plain "
        "depth buffer formats.\n";
    struct Case {
        int desktopBits;
        uint8_t stencil;
        std::vector<gfx::Format> refusedDisplay, refusedDepth;
        gfx::Format display, depth;  // display Unknown: Init fails
        std::string errorText;
    } cases[] = {
        // clang-format off
        {32, 0, {fmt::A2R10G10B10}, {}, fmt::X8R8G8B8, fmt::D32, ""},
        {24, 0, {}, {}, fmt::R5G6B5, fmt::D32, desktopWarning},  // warns, uses 16-bit and still starts
        {32, 0, {fmt::A2R10G10B10, fmt::X8R8G8B8}, {}, 0, 0, "No valid display formats available\n"},
        {32, 0, {}, {fmt::D32, fmt::D24X8, fmt::D24S8}, fmt::A2R10G10B10, fmt::D16, ""},
        {32, 0, {}, {fmt::D32, fmt::D24X8, fmt::D24S8, fmt::D16}, 0, 0, "No valid z buffer formats available\n"},
        {32, 1, {}, {}, fmt::A2R10G10B10, fmt::D24S8, ""},
        {32, 1, {}, {fmt::D24S8, fmt::D15S1}, fmt::A2R10G10B10, fmt::D32, stencilWarning},
        // clang-format on
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(row++);
        Reset();
        driver->desktopBits = c.desktopBits;
        driver->refusedDisplayFormats.insert(c.refusedDisplay.begin(), c.refusedDisplay.end());
        driver->refusedDepthFormats.insert(c.refusedDepth.begin(), c.refusedDepth.end());
        DXG::Setup setup;
        setup.stencil = c.stencil;
        EXPECT_EQ(Init(setup), c.display != fmt::Unknown);
        EXPECT_EQ(LogText(errorLog), c.errorText);
        if (c.display != fmt::Unknown) {
            EXPECT_EQ(
                std::make_tuple(DXG::GetDisplayFormat(), DXG::GetDepthFormat(), DXG::GetSetup().colour32),
                std::make_tuple(c.display, c.depth, c.desktopBits == 32));
        }
    }
}

TEST_F(DxgInit, DeviceCreationRetriesThenFallsBackToD16) {
    const std::string retry = "CreateDevice failed... trying again in case the API fixed a parameter...";
    const std::string bad = retry + "bad.\nFailed to create D3D device:\n";
    struct Case {
        std::vector<Result> results;
        bool ok;
        std::string errorText;
    } cases[] = {
        // clang-format off
        {{}, true, ""},
        {{Result::Fail, Result::Fail}, true, retry + " good.\n"},
        {{Result::Fail, Result::Fail, Result::InvalidCall}, false, bad + "  -bad parameters\n"},
        // clang-format on
    };
    for (const Case& c : cases) {
        Reset();
        driver->createResults = c.results;
        DXG::Setup setup;
        setup.stencil = 1;
        EXPECT_EQ(Init(setup), c.ok) << c.errorText;
        EXPECT_EQ(LogText(errorLog), c.errorText);
        if (c.ok && c.results.size() == 2) {
            EXPECT_EQ(driver->lastParams.autoDepthStencilFormat, fmt::D16);
            EXPECT_EQ(DXG::GetSetup().stencil, 0);
        }
    }
}

// 48 MB freed before the sample + frame buffers (2 x 4 x 800 x 600 = 3750 KB) + 512 KB; said once.
TEST_F(DxgInit, ShutdownWritesTheMostVideoMemoryUsedOnce) {
    gfx::RecordingDevice* device = DXG::InitRecordingForTests(nullptr, &driver);
    ASSERT_NE(device, nullptr);
    ClearLog(statLog);
    std::shared_ptr<gfx::Texture> big;
    ASSERT_EQ(device->CreateTexture(4096, 3072, 1, 0, fmt::A8R8G8B8, gfx::Pool::Managed, &big), Result::Ok);
    DXG::SampleFreeTextureMemory();
    big.reset();
    DXG::Shutdown();
    DXG::Shutdown();
    EXPECT_EQ(LogText(statLog), "Approximate max video memory used: 52MB\n\n");
}

TEST_F(DxgInit, OperationsBeforeInitReportMisuseUnderTheirOwnNameAndCaller) {
    EXPECT_FALSE(DXG::Texture().Load("data\\font12.dds", DXG::FROM_FILE, 0, 0));
    const std::string log = LogText(errorLog);
    EXPECT_TRUE(
        log.starts_with("Error: DXG::Texture::Load used when graphics foundation is not initialized.\n"
                        "  -call made from:\n") &&
        log.find("OperationsBeforeInitReportMisuse") != std::string::npos)
        << log;
}

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

// Stencil is cleared whenever the depth buffer has it, even without the depth.
TEST(DxgClear, FlagsFollowTheArgumentsAndTheDepthFormat) {
    DXG::Setup setup;
    setup.stencil = 1;
    gfx::RecordingDevice* device = DXG::InitRecordingForTests(&setup);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    device->ClearRecord();
    DXG::Clear(0x80FF0000, true, false);
    EXPECT_EQ(device->CallTexts(), Calls{"Clear(5,80FF0000,1,0)"});
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

GraphicsProbe probeResult;
GraphicsProbe FakeProbe() {
    return probeResult;
}

// Without OpenGL 3.3: the warning is appended, the hardware flag kept, and no card is described.
TEST(DeviceSupport, MissingOpenGlIsReportedAndWarnedAbout) {
    ClearLog(errorLog);
    ClearLog(statLog);
    SetGraphicsProbe(FakeProbe);
    probeResult = {};
    uint8_t tnl = 1;
    std::string warning = "earlier text\n";
    EXPECT_TRUE(CheckGraphicsSupport(&tnl, &warning));
    SetGraphicsProbe(nullptr);
    EXPECT_EQ(tnl, 1);
    EXPECT_EQ(LogText(errorLog), "Failed to create Direct3D9 object\n");
    EXPECT_EQ(LogText(statLog).find("Video card"), std::string::npos);
    EXPECT_TRUE(warning.starts_with("earlier text\nOpenGL 3.3 or greater is required to run this program.\n"
                                    "Older versions of OpenGL (including OpenGL 3.2) will not work.\n") &&
                warning.ends_with("\n\n"))
        << warning;
}

// A child process starts the foundation (after restarts) and exits; returns the error log it left.
std::string ExitReport(bool shutDown, int restarts = 0) {
    ClearLog(errorLog);
    ClearLog(statLog);
    pid_t child = fork();
    if (child == 0) {
        for (int i = 0; i < restarts; ++i) {
            if (!DXG::InitRecordingForTests()) _exit(2);
            DXG::Shutdown();
        }
        if (!DXG::InitRecordingForTests() || !DXG::BeginFrame(0.5f, true, false)) _exit(2);
        DXG::EndFrame0();
        if (shutDown) DXG::Shutdown();
        std::exit(0);  // the exit handlers run
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return LogText(errorLog);
}

TEST(DeviceAutomaticShutdown, RunsAtExitOnlyWhenTheProgramForgotShutdown) {
    std::string error = ExitReport(false);
    EXPECT_TRUE(error.starts_with(
        "Warning: Graphics foundation never shut down\n -Performing automtic shutdown... OK\n"))
        << error;
    EXPECT_NE(LogText(statLog).find("Average framerate (over 1 seconds): 2 frames/second\n\n"),
              std::string::npos);
    EXPECT_EQ(ExitReport(true).find("never shut down"), std::string::npos);
    // A foundation started again keeps one exit handler: one report, one shutdown.
    EXPECT_EQ(ExitReport(false, 2), error);
}

}  // namespace
