// The real client in a scratch game directory: its window, its exit code and the logs it leaves.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;

// The client started in its own game directory, its logs read from there.
struct Client : Child {
    Client(const fs::path& dir, std::vector<std::pair<std::string, std::string>> env)
        : Child(BuiltProgram("velmview"), {}, dir, std::move(env)) {}
    std::string Stat() const { return File("_stat.txt"); }
    std::string Error() const { return File("_error.txt"); }
    std::string Stderr() const { return File("stderr.txt"); }
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
                                     std::to_string(client.pid()) + " --class VelmViewWindow | head -n 1",
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
    const fs::path png = dir / "window.png";
    ASSERT_TRUE(Snapshot(window, png));
    EXPECT_EQ(Measure(png, "1x1+400+500", "%[hex:p{0,0}]"), "000000");
    EXPECT_EQ(Measure(png, "150x40+0+0", "%[fx:maxima.r>0.9]"), "1");      // the overlay at the top
    EXPECT_EQ(Measure(png, "400x40+200+300", "%[fx:maxima.r>0.9]"), "1");  // the error text
    EXPECT_EQ(Measure(png, "300x40+0+560", "%[fx:maxima.r>0.9]"), "0");    // nothing at the bottom
    ASSERT_EQ(RunCommand("xdotool windowclose " + window), 0);
    ASSERT_EQ(client.Wait(60s), 0) << client.Stderr();

    std::string stat = client.Stat();
    ExpectInOrder(stat,
                  {"Video card: ", "Exact Vertex Shader version: OpenGL ",
                   "average FPS for invididual scenes:\n  -CChooseINI (over ", "Average framerate (over "});
    // The report was written once.
    EXPECT_EQ(stat.find("average FPS", stat.find("average FPS") + 1), std::string::npos);
    // Shut down in order, no leaks, and the overlay found its font: only the chooser's report.
    EXPECT_EQ(client.Error(), "No valid player .ini files found.\n");
    // With dialogs off, a failure that leaves the client unusable is also said where a terminal shows it.
    EXPECT_NE(client.Stderr().find("velmview: No valid player .ini files found.\n"), std::string::npos);
}

TEST_F(ClientWindow, WithoutOpenGl33TheUserIsWarnedAndTheRunEnds) {
    fs::path dir = GameDirectory("nogl");
    // Mesa then offers no 3.3 core context.
    Client client(dir, {{"VELMVIEW_NO_DIALOGS", "1"}, {"MESA_GL_VERSION_OVERRIDE", "3.0"}});
    ASSERT_EQ(client.Wait(60s), 0) << client.Stderr();
    ExpectInOrder(client.Stderr(),
                  {"[message box] warning\nOpenGL 3.3 or greater is required to run this program.\n",
                   "[message box] error\nDirect3D init failed.\n _error.txt may contain details.\n"});
    EXPECT_EQ(client.Stat().find("Video card:"), std::string::npos);  // no machine description
}

// A display that cannot be opened, or none named at all (SDL would otherwise fall back to a driver that
// shows nothing and run unseen): the run ends with code 1 and says why.
TEST(ClientStart, WithoutADisplayTheRunEndsWithCodeOne) {
    const struct {
        const char* dir;
        std::vector<std::pair<std::string, std::string>> env;
        const char* file;
        std::string text;
        bool whole;
    } rows[] = {{"nodisplay",
                 {{"DISPLAY", ":31999"}, {"SDL_VIDEODRIVER", "x11"}},
                 "_error.txt",
                 "couldn't register window class",
                 true},
                {"nodisplayset",
                 {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
                 "stderr.txt",
                 "no display: set DISPLAY or WAYLAND_DISPLAY\n",
                 false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dir);
        auto env = row.env;
        env.emplace_back("VELMVIEW_NO_DIALOGS", "1");
        Client client(GameDirectory(row.dir), env);
        EXPECT_EQ(client.Wait(60s), 1) << client.Stderr();
        const std::string text = client.File(row.file);
        EXPECT_TRUE(row.whole ? text == row.text : text.find(row.text) != std::string::npos) << text;
    }
}

}  // namespace
