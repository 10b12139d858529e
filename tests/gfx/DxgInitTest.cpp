// The graphics foundation's start-up over a RecordingDriver.
#include <gtest/gtest.h>

#include "gfx/Primitives.h"
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
        {{Result::Fail, Result::Fail, Result::Fail}, false, bad},
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

TEST_F(DxgInit, ShutdownWritesMemoryAndFrameRateOnce) {
    gfx::RecordingDevice* device = DXG::InitRecordingForTests(nullptr, &driver);
    ASSERT_NE(device, nullptr);
    ClearLog(statLog);
    std::shared_ptr<gfx::Texture> big;  // 48 MB: the least free memory seen drops by that much
    ASSERT_EQ(device->CreateTexture(4096, 3072, 1, 0, fmt::A8R8G8B8, gfx::Pool::Managed, &big), Result::Ok);
    DXG::SampleFreeTextureMemory();
    big.reset();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(DXG::BeginFrame(0.1f, true, false));
        DXG::EndFrame0();
        DXG::EndFrame1();
    }
    ASSERT_TRUE(DXG::BeginFrame(5.0f, false, false));  // not counted
    DXG::EndFrame0();
    DXG::Shutdown();
    DXG::Shutdown();  // a second shutdown has nothing more to say
    // 48 MB + frame buffers (2 x 4 x 800 x 600 = 3750 KB) + 512 KB.
    EXPECT_EQ(LogText(statLog),
              "Approximate max video memory used: 52MB\n\n"
              "Average framerate (over 3 seconds): 10 frames/second\n\n");
}

TEST_F(DxgInit, OperationsBeforeInitReportMisuseUnderTheirOwnName) {
    const std::pair<const char*, void (*)()> operations[] = {
        {"DXG::GetDevice", [] { EXPECT_EQ(DXG::GetDevice(), nullptr); }},
        {"DXG::BeginFrame", [] { EXPECT_FALSE(DXG::BeginFrame(0.1f, true, true)); }},
        {"DXG::EndFrame0", [] { DXG::EndFrame0(); }},
        {"DXG::DrawTexture", [] { DXG::DrawTexture(0, 0, DXG::Texture(), 1.0f); }},
        {"DXG::Texture::Load",
         [] { EXPECT_FALSE(DXG::Texture().Load("data\\font12.dds", DXG::FROM_FILE, 0, 0)); }},
    };
    for (const auto& [name, use] : operations) {
        ClearLog(errorLog);
        use();
        const std::string log = LogText(errorLog);
        EXPECT_TRUE(
            log.starts_with(std::string("Error: ") + name +
                            " used when graphics foundation is not initialized.\n  -call made from:\n"))
            << name << ": " << log;
        EXPECT_NE(log.find("OperationsBeforeInitReportMisuse"), std::string::npos)
            << log;  // the caller's stack
    }
}

}  // namespace
