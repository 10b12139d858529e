// The real client in a scratch game directory: its window, its exit code and the logs it leaves.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace {

using namespace e2e;

// A fresh game directory with only the client's own data files (no profiles).
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

TEST(ClientWindow, ClosingTheWindowEndsTheRunCleanly) {
    if (!HasDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    // No profiles: the chooser shows its error text and stays until the window is closed.
    const fs::path dir = GameDirectory("close");
    auto client = LaunchClient(dir);
    const std::string window = ClientWindow(*client, dir, dir);
    ASSERT_FALSE(window.empty()) << client->File("stderr.txt");
    EXPECT_EQ(Capture("xdotool getwindowname " + window, dir),
              "VelmView Client (written by the VelmView team)");
    EXPECT_EQ(Capture("xdotool getwindowgeometry " + window + " | grep Geometry", dir),
              "  Geometry: 800x600");
    std::this_thread::sleep_for(1500ms);
    // The chooser's black, its error text and the overlay at the top left (the frame the right way up).
    const fs::path png = dir / "window.png";
    ASSERT_TRUE(Snapshot(window, png));
    EXPECT_EQ(Measure(png, "1x1+400+500", "%[hex:p{0,0}]"), "000000");
    EXPECT_EQ(Measure(png, "150x40+0+0", "%[fx:maxima.r>0.9]"), "1");
    EXPECT_EQ(Measure(png, "400x40+200+300", "%[fx:maxima.r>0.9]"), "1");
    EXPECT_EQ(Measure(png, "300x40+0+560", "%[fx:maxima.r>0.9]"), "0");
    ASSERT_EQ(RunCommand("xdotool windowclose " + window), 0);
    ASSERT_EQ(client->Wait(60s), 0) << client->File("stderr.txt");

    const std::string stat = client->File("_stat.txt");
    ExpectInOrder(stat,
                  {"Video card: ", "Exact Vertex Shader version: OpenGL ",
                   "average FPS for invididual scenes:\n  -CChooseINI (over ", "Average framerate (over "});
    EXPECT_EQ(stat.find("average FPS", stat.find("average FPS") + 1), std::string::npos);  // written once
    // No leaks and the overlay found its font: only the chooser's report, also where a terminal shows it.
    EXPECT_EQ(client->File("_error.txt"), "No valid player .ini files found.\n");
    EXPECT_NE(client->File("stderr.txt").find("velmview: No valid player .ini files found.\n"),
              std::string::npos);
}

// Runs that cannot show a window say why: no OpenGL 3.3 core context, a display that cannot be opened, or
// none named at all (SDL would otherwise fall back to a driver that shows nothing).
TEST(ClientStart, RunsWithoutAUsableWindowSayWhy) {
    if (!HasDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    const struct {
        const char* dir;
        std::vector<std::pair<std::string, std::string>> env;
        int exitCode;
        const char* file;
        std::vector<std::string> parts;
        bool whole;
    } rows[] = {
        {"nogl",
         {{"MESA_GL_VERSION_OVERRIDE", "3.0"}},
         0,
         "stderr.txt",
         {"[message box] warning\nOpenGL 3.3 or greater is required to run this program.\n",
          "[message box] error\nDirect3D init failed.\n _error.txt may contain details.\n"},
         false},
        {"nodisplay",
         {{"DISPLAY", ":31999"}, {"SDL_VIDEODRIVER", "x11"}},
         1,
         "_error.txt",
         {"couldn't register window class"},
         true},
        {"nodisplayset",
         {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
         1,
         "stderr.txt",
         {"no display: set DISPLAY or WAYLAND_DISPLAY\n"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dir);
        auto env = row.env;
        env.emplace_back("VELMVIEW_NO_DIALOGS", "1");
        Child client(BuiltProgram("velmview"), {}, GameDirectory(row.dir), env);
        EXPECT_EQ(client.Wait(60s), row.exitCode) << client.File("stderr.txt");
        const std::string text = client.File(row.file);
        if (row.whole) {
            EXPECT_EQ(text, row.parts[0]);
        } else {
            ExpectInOrder(text, row.parts);
        }
    }
}

}  // namespace
