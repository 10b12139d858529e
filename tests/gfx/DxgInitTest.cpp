// The graphics foundation's start-up over a RecordingDriver: format fall-backs, device creation attempts,
// their messages, the statistics written at shutdown and the "not initialized" errors.
#include <gtest/gtest.h>

#include "gfx/DxgTesting.h"
#include "support/TestSupport.h"

namespace {

using gfx::Result;
namespace fmt = gfx::fmt;

class DxgInit : public ::testing::Test {
protected:
    void SetUp() override {
        DXG::resetForTests();
        driver = std::make_shared<gfx::RecordingDriver>();
        DXG::SetDriver(driver);
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    void TearDown() override { DXG::resetForTests(); }
    bool Init(const DXG::Setup& setup = DXG::Setup()) {
        return DXG::Init(DXG::StandInWindowForTests(), &setup);
    }

    std::shared_ptr<gfx::RecordingDriver> driver;
};

TEST_F(DxgInit, ProgramSetupTakesTheFirstFormatsOffered) {
    ASSERT_TRUE(Init());
    EXPECT_TRUE(DXG::IsReady());
    EXPECT_FALSE(DXG::HasFailed());
    EXPECT_EQ(DXG::GetDisplayFormat(), fmt::A2R10G10B10);  // first choice, accepted by the recording driver
    EXPECT_EQ(driver->lastParams.autoDepthStencilFormat, fmt::D32);
    EXPECT_EQ(driver->lastParams.backBufferCount, 1u);
    EXPECT_EQ(driver->lastParams.backBufferWidth, 800u);
    EXPECT_FALSE(driver->lastParams.vsync);
    EXPECT_EQ(driver->lastCreateFlags, gfx::kCreateHardwareVertexProcessing | gfx::kCreateMultithreaded);
    EXPECT_EQ(driver->lastDevice->GetViewport(), (gfx::Viewport{0, 0, 800, 600, 0.0f, 1.0f}));
    EXPECT_EQ(LogText(errorLog), "");
    EXPECT_EQ(LogText(statLog),
              "Exact Vertex Shader version: recording vs\nExact Pixel Shader version: recording ps\n"
              "Initial free texture memory(vid mem + agp mem): 256MB.\n");
}

struct FormatCase {
    const char* name;
    int desktopBits;
    uint8_t stencil;
    std::vector<gfx::Format> refusedDisplay;
    std::vector<gfx::Format> refusedDepth;
    gfx::Format display;  // Unknown: Init fails
    gfx::Format depth;
    const char* errorText;
};

class DxgFormats : public DxgInit, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(DxgFormats, ChoosesInTheFallBackOrder) {
    const FormatCase& c = GetParam();
    driver->desktopBits = c.desktopBits;
    for (auto f : c.refusedDisplay) driver->refusedDisplayFormats.insert(f);
    for (auto f : c.refusedDepth) driver->refusedDepthFormats.insert(f);
    DXG::Setup setup;
    setup.stencil = c.stencil;
    bool ok = Init(setup);
    EXPECT_EQ(ok, c.display != fmt::Unknown);
    EXPECT_EQ(LogText(errorLog), c.errorText);
    if (ok) {
        EXPECT_EQ(DXG::GetDisplayFormat(), c.display);
        EXPECT_EQ(DXG::GetDepthFormat(), c.depth);
        EXPECT_EQ(DXG::GetSetup().colour32, c.desktopBits == 32);
    } else {
        EXPECT_TRUE(DXG::HasFailed());
        EXPECT_FALSE(DXG::IsReady());
        EXPECT_EQ(LogText(statLog), "");  // failed before the memory figures: no statistics
    }
}

const char* kDesktopWarning =
    "Windows desktop should be set to either 16 or 32 bit color to run in windowed mode... but will try it "
    "anyways...\n";
const char* kStencilWarning =
    "Warning: Couldn't find compatible stencil buffer format... reverting to plain depth buffer formats.\n";

INSTANTIATE_TEST_SUITE_P(
    Table, DxgFormats,
    ::testing::Values(
        FormatCase{"TenBitRefused", 32, 0, {fmt::A2R10G10B10}, {}, fmt::X8R8G8B8, fmt::D32, ""},
        FormatCase{"Desktop16", 16, 0, {}, {}, fmt::R5G6B5, fmt::D32, ""},
        FormatCase{"Desktop16NoR5G6B5", 16, 0, {fmt::R5G6B5}, {}, fmt::X1R5G5B5, fmt::D32, ""},
        FormatCase{"Desktop24WarnsAndUses16Bit", 24, 0, {}, {}, fmt::R5G6B5, fmt::D32, kDesktopWarning},
        FormatCase{"NoDisplayFormat",
                   32,
                   0,
                   {fmt::A2R10G10B10, fmt::X8R8G8B8},
                   {},
                   fmt::Unknown,
                   0,
                   "No valid display formats available\n"},
        FormatCase{"DepthD24X8", 32, 0, {}, {fmt::D32}, fmt::A2R10G10B10, fmt::D24X8, ""},
        FormatCase{
            "DepthD16Last", 32, 0, {}, {fmt::D32, fmt::D24X8, fmt::D24S8}, fmt::A2R10G10B10, fmt::D16, ""},
        FormatCase{"NoDepth",
                   32,
                   0,
                   {},
                   {fmt::D32, fmt::D24X8, fmt::D24S8, fmt::D16},
                   fmt::Unknown,
                   0,
                   "No valid z buffer formats available\n"},
        FormatCase{"StencilD24S8", 32, 1, {}, {}, fmt::A2R10G10B10, fmt::D24S8, ""},
        FormatCase{"StencilD15S1", 32, 1, {}, {fmt::D24S8}, fmt::A2R10G10B10, fmt::D15S1, ""},
        FormatCase{"NoStencilFallsBack",
                   32,
                   1,
                   {},
                   {fmt::D24S8, fmt::D15S1},
                   fmt::A2R10G10B10,
                   fmt::D32,
                   kStencilWarning}),
    [](const auto& info) { return std::string(info.param.name); });

struct CreateCase {
    const char* name;
    std::vector<Result> results;
    bool ok;
    const char* errorText;
};

class DxgCreate : public DxgInit, public ::testing::WithParamInterface<CreateCase> {};

TEST_P(DxgCreate, RetriesThenFallsBackToD16) {
    const CreateCase& c = GetParam();
    driver->createResults = c.results;
    DXG::Setup setup;
    setup.stencil = 1;
    EXPECT_EQ(Init(setup), c.ok);
    EXPECT_EQ(LogText(errorLog), c.errorText);
    if (c.ok && c.results.size() >= 2) {
        EXPECT_EQ(driver->lastParams.autoDepthStencilFormat, fmt::D16);
        EXPECT_EQ(DXG::GetSetup().stencil, 0);
    }
}

const char* kRetry = "CreateDevice failed... trying again in case the API fixed a parameter...";

INSTANTIATE_TEST_SUITE_P(
    Table, DxgCreate,
    ::testing::Values(
        CreateCase{"FirstAttempt", {}, true, ""}, CreateCase{"SecondAttempt", {Result::Fail}, true, kRetry},
        CreateCase{"ThirdWithD16",
                   {Result::Fail, Result::Fail},
                   true,
                   "CreateDevice failed... trying again in case the API fixed a parameter... good.\n"},
        CreateCase{"BadParameters",
                   {Result::Fail, Result::Fail, Result::InvalidCall},
                   false,
                   "CreateDevice failed... trying again in case the API fixed a parameter...bad.\n"
                   "Failed to create D3D device:\n  -bad parameters\n"},
        CreateCase{"NotAvailable",
                   {Result::Fail, Result::Fail, Result::NotAvailable},
                   false,
                   "CreateDevice failed... trying again in case the API fixed a parameter...bad.\n"
                   "Failed to create D3D device:\n  -device doesn't support requested features\n"},
        CreateCase{"NoVideoMemory",
                   {Result::Fail, Result::Fail, Result::OutOfVideoMemory},
                   false,
                   "CreateDevice failed... trying again in case the API fixed a parameter...bad.\n"
                   "Failed to create D3D device:\n  -device doesn't have enough video memory free\n"},
        CreateCase{"OtherError",
                   {Result::Fail, Result::Fail, Result::Fail},
                   false,
                   "CreateDevice failed... trying again in case the API fixed a parameter...bad.\n"
                   "Failed to create D3D device:\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DxgInit, CreationFlagsFollowTheSetup) {
    DXG::Setup setup;
    setup.hardwareVertexProcessing = 0;
    setup.multithreaded = 0;
    setup.tripleBuffer = 1;
    setup.vsync = 1;
    ASSERT_TRUE(Init(setup));
    EXPECT_EQ(driver->lastCreateFlags, gfx::kCreateSoftwareVertexProcessing);
    EXPECT_EQ(driver->lastParams.backBufferCount, 2u);
    EXPECT_TRUE(driver->lastParams.vsync);
}

TEST_F(DxgInit, SecondInitFailsAndEveryLaterInitIsSilent) {
    ASSERT_TRUE(Init());
    EXPECT_FALSE(Init());
    EXPECT_EQ(LogText(errorLog), "Attempt to call DXG::Init while already ready\n");
    EXPECT_TRUE(DXG::HasFailed());
    DXG::Shutdown();
    ClearLog(errorLog);
    EXPECT_FALSE(Init());
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(DxgInit, BadArgumentsAreReported) {
    EXPECT_FALSE(DXG::Init(nullptr, nullptr));
    EXPECT_EQ(LogText(errorLog), "Null window passed to DXG::Init\n");
    DXG::resetForTests();
    DXG::SetDriver(driver);
    ClearLog(errorLog);
    EXPECT_FALSE(DXG::Init(DXG::StandInWindowForTests(), nullptr));
    EXPECT_EQ(LogText(errorLog), "DXG::Init failed:\n  -Invalid pointer passed for Setup struct.\n");
}

TEST_F(DxgInit, ShutdownWritesMemoryAndFrameRate) {
    gfx::RecordingDevice* device = DXG::InitRecordingForTests(nullptr, &driver);
    ASSERT_NE(device, nullptr);
    ClearLog(statLog);
    // 48 MB of textures: the least free memory seen drops by that much.
    std::shared_ptr<gfx::Texture> big;
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
    // initialTotal - minFree = 48 MB + frame buffers (2 x 4 x 800 x 600 = 3750 KB) + 512 KB.
    EXPECT_EQ(LogText(statLog),
              "Approximate max video memory used: 52MB\n\n"
              "Average framerate (over 3 seconds): 10 frames/second\n\n");
    EXPECT_FALSE(DXG::IsReady());
}

TEST_F(DxgInit, ShutdownWithoutFramesWritesNoFrameRate) {
    ASSERT_TRUE(Init());
    ClearLog(statLog);
    DXG::Shutdown();
    EXPECT_EQ(LogText(statLog), "Approximate max video memory used: 4MB\n\n");
    ClearLog(statLog);
    DXG::Shutdown();  // a second shutdown has nothing more to say
    EXPECT_EQ(LogText(statLog), "");
}

TEST_F(DxgInit, OperationsBeforeInitReportMisuse) {
    EXPECT_EQ(DXG::GetDevice(), nullptr);
    EXPECT_FALSE(DXG::BeginFrame(0.1f, true, true));
    DXG::EndFrame0();
    DXG::EndFrame1();
    DXG::Clear(0, true, true);  // silently nothing
    std::string log = LogText(errorLog);
    const char* expected[] = {
        "Error: DXG::GetDevice used when graphics foundation is not initialized.\n  -call made from:\n",
        "Error: DXG::BeginFrame used when graphics foundation is not initialized.\n  -call made from:\n",
        "Error: DXG::EndFrame0 used when graphics foundation is not initialized.\n  -call made from:\n",
        "EndFrame should not be called if BeginFrame was not successfully called before.\n",
        "Error: DXG::EndFrame1 used when graphics foundation is not initialized.\n  -call made from:\n",
    };
    size_t at = 0;
    for (const char* text : expected) {
        size_t found = log.find(text, at);
        ASSERT_NE(found, std::string::npos) << text << "\nin:\n" << log;
        at = found + strlen(text);
    }
    // The stack names the test as the caller.
    EXPECT_NE(log.find("OperationsBeforeInitReportMisuse"), std::string::npos);
}

}  // namespace
