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

TEST(DeviceSupport, MachineDescriptionFlagAndWarning) {
    struct Case {
        GraphicsProbe probe;
        bool warns;
        uint8_t tnlAfter;  // the flag starts at 1
        std::string statPart, errorText;
    } cases[] = {
        // clang-format off
        {{true, "llvmpipe (LLVM 15)", true, false}, false, 0,
         "Video card: llvmpipe (LLVM 15)\nVideo card does NOT support Hardware TnL.\n\n", ""},
        {{}, true, 1, "", "Failed to create Direct3D9 object\n"},
        // clang-format on
    };
    SetGraphicsProbe(FakeProbe);
    for (const Case& c : cases) {
        ClearLog(errorLog);
        ClearLog(statLog);
        probeResult = c.probe;
        uint8_t tnl = 1;
        std::string warning = "earlier text\n";
        EXPECT_EQ(CheckGraphicsSupport(&tnl, &warning), c.warns) << c.probe.renderer;
        EXPECT_EQ(tnl, c.tnlAfter) << c.probe.renderer;
        EXPECT_EQ(LogText(errorLog), c.errorText);
        std::string stat = LogText(statLog);
        EXPECT_TRUE(stat.starts_with("OS Version: ") && stat.ends_with(c.statPart)) << stat;
        const std::string required =
            "earlier text\nOpenGL 3.3 or greater is required to run this program.\n"
            "Older versions of OpenGL (including OpenGL 3.2) will not work.\n";
        EXPECT_TRUE(c.warns ? warning.starts_with(required) && warning.ends_with("\n\n")
                            : warning == "earlier text\n")
            << warning;
    }
    SetGraphicsProbe(nullptr);
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
