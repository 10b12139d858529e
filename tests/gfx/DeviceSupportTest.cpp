// The graphics start-up check with a stand-in probe, and the automatic shutdown at process exit.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gfx/GraphicsSupport.h"
#include "support/TestSupport.h"
#include "testing/DxgTesting.h"

namespace {

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
