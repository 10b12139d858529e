// The real client under the virtual display: started in a scratch game directory, its window found and
// closed with xdotool; judged by its exit code and the logs it leaves.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "E2eSupport.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using e2e::Capture;
using e2e::HasDisplay;
using e2e::Poll;

// The client started as a child process in its own game directory.
class Client {
public:
    Client(const fs::path& gameDir, const std::map<std::string, std::string>& env) : m_dir(gameDir) {
        fs::path program = BuiltProgram("velmview");
        m_pid = fork();
        if (m_pid == 0) {
            if (chdir(gameDir.c_str()) != 0) _exit(126);
            for (const auto& [name, value] : env)
                value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
            std::string log = (gameDir / "stderr.txt").string();
            if (!freopen(log.c_str(), "w", stderr)) _exit(126);
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Client() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    // The exit code, or -1 when the client has not ended within the time (or died from a signal).
    int Wait(std::chrono::seconds limit) {
        int status = 0;
        m_exited = Poll(limit, [&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; });
        return m_exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t Pid() const { return m_pid; }
    std::string Stat() const { return ReadTextFile(m_dir / "_stat.txt"); }
    std::string Error() const { return ReadTextFile(m_dir / "_error.txt"); }
    std::string Stderr() const { return ReadTextFile(m_dir / "stderr.txt"); }

private:
    fs::path m_dir;
    pid_t m_pid = -1;
    bool m_exited = false;
};

// A fresh game directory with the client's own data files (made by the build).
fs::path GameDirectory(const std::string& name) {
    fs::path dir = fs::current_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(BuiltProgram("game") / "data", dir / "data", fs::copy_options::recursive);
    return dir;
}

// Each text is found in order, each after the one before.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& parts) {
    size_t at = 0;
    for (const std::string& part : parts) {
        size_t found = text.find(part, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part << "\nin:\n" << text;
        at = found + part.size();
    }
}

struct ClientWindow : ::testing::Test {
    void SetUp() override {
        if (!HasDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    }
};

TEST_F(ClientWindow, ClosingTheWindowEndsTheRunCleanly) {
    // No profiles: the chooser shows its error text and stays until the window is closed.
    fs::path dir = GameDirectory("close");
    Client client(dir, {{"VELMVIEW_NO_DIALOGS", "1"}});
    // The window of this process: other test programs may have windows of the same class open.
    std::string window = Capture("timeout 60 xdotool search --sync --all --pid " +
                                     std::to_string(client.Pid()) + " --class VelmViewWindow | head -n 1",
                                 dir);
    ASSERT_FALSE(window.empty()) << client.Stderr();
    EXPECT_EQ(Capture("xdotool getwindowname " + window, dir),
              "VelmView Client (written by the VelmView team)");
    EXPECT_EQ(Capture("xdotool getwindowgeometry " + window + " | grep Geometry", dir),
              "  Geometry: 800x600");
    // Let frames run: the foundation is up, then a second passes.
    ASSERT_TRUE(
        Poll(60s, [&] { return client.Stat().find("Initial free texture memory") != std::string::npos; }));
    std::this_thread::sleep_for(1500ms);
    // What the window shows: the chooser's black, its error text and title, and the frame-rate overlay at
    // the top left (the frame reaches the window the right way up).
    ASSERT_EQ(RunCommand("import -window " + window + " '" + (dir / "window.png").string() + "'"), 0);
    auto sample = [&](const std::string& crop, const std::string& format) {
        return Capture("convert '" + (dir / "window.png").string() + "' -crop " + crop +
                           " +repage -format '" + format + "' info:",
                       dir);
    };
    EXPECT_EQ(sample("1x1+400+500", "%[hex:p{0,0}]"), "000000");
    EXPECT_EQ(sample("150x40+0+0", "%[fx:maxima.r>0.9]"), "1");      // the overlay at the top
    EXPECT_EQ(sample("400x40+200+300", "%[fx:maxima.r>0.9]"), "1");  // the error text
    EXPECT_EQ(sample("300x40+210+80", "%[fx:maxima.r>0.9]"), "1");   // the title
    EXPECT_EQ(sample("300x40+0+560", "%[fx:maxima.r>0.9]"), "0");    // nothing at the bottom
    ASSERT_EQ(RunCommand("xdotool windowclose " + window), 0);
    ASSERT_EQ(client.Wait(60s), 0) << client.Stderr();

    std::string stat = client.Stat();
    ExpectInOrder(
        stat,
        {"OS Version: ", "CPU code name: ", "Video card: ", "\n\n", "Exact Vertex Shader version: OpenGL ",
         "Exact Pixel Shader version: GLSL ", "Initial free texture memory(vid mem + agp mem): ",
         "MB.\naverage FPS for invididual scenes:\n  -CChooseINI (over ", " frames/sec\n\n",
         "Approximate max video memory used: ", "MB\n\nAverage framerate (over ", " frames/second\n\n"});
    // The report was written once.
    EXPECT_EQ(stat.find("average FPS", stat.find("average FPS") + 1), std::string::npos);
    // Shut down in order, no leaks, and the overlay found its font: only the chooser's report.
    EXPECT_EQ(client.Error(), "No valid player .ini files found.\n");
}

TEST_F(ClientWindow, WithoutOpenGl33TheUserIsWarnedAndTheRunEnds) {
    fs::path dir = GameDirectory("nogl");
    // Mesa then offers no 3.3 core context.
    Client client(dir, {{"VELMVIEW_NO_DIALOGS", "1"}, {"MESA_GL_VERSION_OVERRIDE", "3.0"}});
    ASSERT_EQ(client.Wait(60s), 0) << client.Stderr();
    ExpectInOrder(client.Stderr(),
                  {"[message box] warning\nOpenGL 3.3 or greater is required to run this program.\n",
                   "[message box] error\nDirect3D init failed.\n _error.txt may contain details.\n"});
    ExpectInOrder(client.Error(),
                  {"Failed to create Direct3D9 object\n",
                   "CreateDevice failed... trying again in case the API fixed a parameter...bad.\n"
                   "Failed to create D3D device:\n"});
    // No machine description, no scene ever made, no statistics of the foundation.
    EXPECT_EQ(client.Stat().find("Video card:"), std::string::npos);
    EXPECT_NE(client.Stat().find("average FPS for invididual scenes:\n\n"), std::string::npos);
    EXPECT_EQ(client.Stat().find("Approximate max video memory"), std::string::npos);
}

TEST(ClientStart, WithoutADisplayTheRunEndsWithCodeOne) {
    fs::path dir = GameDirectory("nodisplay");
    Client client(dir, {{"DISPLAY", ":31999"}, {"SDL_VIDEODRIVER", "x11"}, {"VELMVIEW_NO_DIALOGS", "1"}});
    EXPECT_EQ(client.Wait(60s), 1) << client.Stderr();
    EXPECT_EQ(client.Error(), "couldn't register window class");
}

}  // namespace
