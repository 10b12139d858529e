// The real client on today's desktop against both stand-in servers: title, full screen, scaled windows,
// pasting, the chat log and the remembered window size.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "E2eSupport.h"

namespace {
using namespace e2e;

class DesktopSession : public Session {
protected:
    void SetUp() override {
        Session::SetUp();
        if (IsSkipped()) return;
        m_dir = fs::current_path() / "desktop";
        FreshGame(m_dir);
        m_gameServer = StartServer(m_dir, "game", {"--world", game().string(), "--bots", "1"});
        m_fileServer = StartServer(m_dir, "file", {"--root", BuiltProgram("dreams").string()});
        ASSERT_TRUE(PointAddressFiles(game(), *m_gameServer, *m_fileServer));
        ASSERT_NO_FATAL_FAILURE(StartClient());
        std::this_thread::sleep_for(1s);
    }
    std::string Geometry() {
        return Capture("xdotool getwindowgeometry " + m_window + " | grep Geometry", m_dir);
    }
    void Resize(int width, int height) {
        ASSERT_EQ(RunCommand("xdotool windowsize --sync " + m_window + " " + std::to_string(width) + " " +
                             std::to_string(height)),
                  0);
        std::this_thread::sleep_for(500ms);
    }
    // Clicks the window at (x, y) and returns the look line the server got for it.
    std::string LookLineOfClickAt(int x, int y) {
        const std::size_t before = GameTranscript().size();
        EXPECT_EQ(RunCommand("xdotool mousemove --window " + m_window + " " + std::to_string(x) + " " +
                             std::to_string(y) + " click 1"),
                  0);
        std::smatch match;
        std::string after;  // kept alive for the match
        Poll(30s, [&] {
            after = GameTranscript().substr(before - 1);  // from the line feed that ends the line before
            return std::regex_search(after, match, std::regex("\n1< l [ -~]{4,16}\\\\x0a\n"));
        });
        return match.empty() ? "" : match.str();
    }
};

TEST_F(DesktopSession, AnyWindowSizeFullScreenPasteAndTheChatLog) {
    Keys({"Down", "Return"});  // Rowan
    ASSERT_TRUE(GameServerGot("1> ]ccmeadow.pcx\\x0a\n")) << GameTranscript();
    EXPECT_TRUE(
        Poll(10s, [&] { return Capture("xdotool getwindowname " + m_window, m_dir) == "VelmView - Rowan"; }));

    // F11 covers the screen and F11 again brings the window back.
    const std::string screen = Capture("xdotool getdisplaygeometry", m_dir);  // "W H"
    Keys({"F11"});
    EXPECT_TRUE(Poll(10s, [&] {
        return Geometry() == "  Geometry: " + screen.substr(0, screen.find(' ')) + "x" +
                                 screen.substr(screen.find(' ') + 1);
    })) << Geometry();
    Keys({"F11"});
    EXPECT_TRUE(Poll(10s, [&] { return Geometry() == "  Geometry: 800x600"; })) << Geometry();

    // The same picture position looks at the same cell at 800 x 600, with bars at scale one, and scaled.
    ASSERT_TRUE(Snapshot(m_window, m_dir / "small.png"));
    const std::string look = LookLineOfClickAt(400, 180);
    ASSERT_FALSE(look.empty()) << GameTranscript();
    Resize(1000, 600);  // the picture from x = 100, bars of 100 at either side
    EXPECT_EQ(LookLineOfClickAt(500, 180), look);
    const std::size_t looks = GameTranscript().size();
    ASSERT_EQ(RunCommand("xdotool mousemove --window " + m_window + " 50 300 click 1"), 0);  // on a bar
    Resize(1024, 768);                                                                       // 1.28 times
    EXPECT_EQ(LookLineOfClickAt(512, 230), look);
    EXPECT_EQ(GameTranscript().find("1< l ", looks),
              GameTranscript().rfind("1< l "));  // the bar's click made none
    // The world shown scaled: the 800 x 600 picture enlarged is close to the resized window's picture.
    ASSERT_TRUE(Snapshot(m_window, m_dir / "large.png"));
    ASSERT_EQ(RunCommand("convert '" + (m_dir / "small.png").string() + "' -resize 1024x768! '" +
                         (m_dir / "small-enlarged.png").string() + "'"),
              0);
    EXPECT_LT(Difference(m_dir / "small-enlarged.png", m_dir / "large.png", "1024x280+0+60"), 0.06);

    // A clipboard line pasted with Ctrl+V is sent by Enter; its second line is not.
    // xclip stays in the foreground (-quiet) as the clipboard's owner until the test ends it.
    WriteTextFile(m_dir / "clipboard.txt", "pasted words\nnot sent");
    Child clipboard("/usr/bin/xclip",
                    {"-quiet", "-selection", "clipboard", (m_dir / "clipboard.txt").string()},
                    m_dir / "xclip");
    ASSERT_TRUE(Poll(10s, [&] {
        return Capture("timeout 5 xclip -o -selection clipboard", m_dir) == "pasted words\nnot sent";
    }));
    Keys({"ctrl+v", "Return"});
    EXPECT_TRUE(GameServerGot("1< \"pasted words\\x0a\n")) << GameTranscript();
    EXPECT_EQ(GameTranscript().find("not sent"), std::string::npos);

    // The chat log holds the greeting and a bot's words.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[32];
    std::strftime(name, sizeof name, "%Y-%m-%d.txt", &local);
    const fs::path chatLog = game() / "chatlog" / name;
    EXPECT_TRUE(Poll(30s, [&] {
        return std::regex_search(ReadTextFile(chatLog), std::regex("\n\\d\\d:\\d\\d:\\d\\d \\w+: [A-Z]"));
    })) << ReadTextFile(chatLog);
    EXPECT_TRUE(std::regex_search(
        ReadTextFile(chatLog), std::regex("\\d\\d:\\d\\d:\\d\\d Welcome to Meadowcross, the VelmView demo")));
    EXPECT_EQ(ReadTextFile(chatLog).find("meadow-rowan"), std::string::npos);  // the password

    ASSERT_NO_FATAL_FAILURE(Close());
    // The last size is remembered in the player's configuration folder, not in the game directory.
    EXPECT_NE(
        ReadTextFile(m_dir / "game-config" / "velmview" / "settings.ini").find("width=1024\nheight=768\n"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(game() / "settings.ini"));
}

}  // namespace
