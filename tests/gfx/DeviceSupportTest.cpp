// The graphics start-up check with a stand-in probe: the machine description, the transform-and-lighting
// flag and the warning when OpenGL 3.3 cannot be had; and the automatic shutdown at process exit.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gfx/DxgTesting.h"
#include "gfx/GraphicsSupport.h"
#include "support/TestSupport.h"

namespace {

GraphicsProbe probeResult;
GraphicsProbe FakeProbe() {
    return probeResult;
}

class DeviceSupport : public ::testing::Test {
protected:
    void SetUp() override {
        SetGraphicsProbeForTests(FakeProbe);
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    void TearDown() override { SetGraphicsProbeForTests(nullptr); }
};

TEST_F(DeviceSupport, HardwareRendererIsDescribed) {
    probeResult = {true, "Radeon RX 580", true, true};
    uint8_t tnl = 0;
    std::string warning;
    EXPECT_FALSE(CheckGraphicsSupport(&tnl, &warning));
    EXPECT_EQ(tnl, 1);
    EXPECT_EQ(warning, "");
    std::string stat = LogText(statLog);
    EXPECT_NE(stat.find("OS Version: "), std::string::npos);
    EXPECT_NE(stat.find("Video card: Radeon RX 580\nHardware TnL support detected.\n\n"), std::string::npos)
        << stat;
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(DeviceSupport, SoftwareRendererHasNoHardwareTnL) {
    probeResult = {true, "llvmpipe (LLVM 15.0.6, 256 bits)", true, false};
    uint8_t tnl = 1;
    std::string warning;
    EXPECT_FALSE(CheckGraphicsSupport(&tnl, &warning));
    EXPECT_EQ(tnl, 0);
    EXPECT_NE(LogText(statLog).find("Video card: llvmpipe (LLVM 15.0.6, 256 bits)\n"
                                    "Video card does NOT support Hardware TnL.\n\n"),
              std::string::npos);
}

TEST_F(DeviceSupport, UnreadableCapabilitiesLeaveTheFlag) {
    probeResult = {true, "Some card", false, false};
    uint8_t tnl = 1;
    std::string warning;
    EXPECT_FALSE(CheckGraphicsSupport(&tnl, &warning));
    EXPECT_EQ(tnl, 1);
    EXPECT_EQ(LogText(errorLog), "Could not retrieve graphics device capabilities\n");
}

TEST_F(DeviceSupport, MissingOpenGlWarnsTheUser) {
    probeResult = {};
    uint8_t tnl = 1;
    std::string warning = "earlier text\n";
    EXPECT_TRUE(CheckGraphicsSupport(&tnl, &warning));
    EXPECT_EQ(LogText(errorLog), "Failed to create Direct3D9 object\n");
    EXPECT_EQ(warning.rfind("earlier text\nOpenGL 3.3 or greater is required to run this program.\n"
                            "Older versions of OpenGL (including OpenGL 3.2) will not work.\n",
                            0),
              0u);
    EXPECT_EQ(warning.substr(warning.size() - 2), "\n\n");
    EXPECT_EQ(LogText(statLog).find("Video card"), std::string::npos);
}

TEST(DeviceAutomaticShutdown, RunsAtExitWhenTheProgramForgotShutdown) {
    ClearLog(errorLog);
    ClearLog(statLog);
    pid_t child = fork();
    if (child == 0) {
        if (!DXG::InitRecordingForTests()) _exit(2);
        ASSERT_TRUE(DXG::BeginFrame(0.5f, true, false));
        DXG::EndFrame0();
        std::exit(0);  // the exit handlers run; the foundation is still ready
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::string error = LogText(errorLog);
    EXPECT_EQ(error.rfind(
                  "Warning: Graphics foundation never shut down\n -Performing automtic shutdown... OK\n", 0),
              0u)
        << error;
    EXPECT_NE(LogText(statLog).find("Average framerate (over 1 seconds): 2 frames/second\n\n"),
              std::string::npos);
}

TEST(DeviceAutomaticShutdown, NothingWhenShutDown) {
    ClearLog(errorLog);
    pid_t child = fork();
    if (child == 0) {
        if (!DXG::InitRecordingForTests()) _exit(2);
        DXG::Shutdown();
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(LogText(errorLog).find("never shut down"), std::string::npos);
}

}  // namespace
