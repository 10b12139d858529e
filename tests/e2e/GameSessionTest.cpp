// The real client against both stand-in servers: login, talk, a dream's download, full screen, scaled
// windows, the remembered window size and losing the server.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "E2eSupport.h"

namespace {
using namespace e2e;

constexpr const char* kGreeting =
    "1 accepted\n"
    "1> Welcome to Meadowcross, the VelmView demo world.\\x0a\n"
    "1> Type and press Enter to talk; /name text whispers; :text acts.\\x0a\n"
    "1> Walk with the arrow keys, turn with Insert and Delete, click a cell to look at it.\\x0a\n"
    "1> END\\x0a\n";

// A fresh game directory with a dream marker one step north-east of the start, and both servers for it.
class GameSession : public Session {
protected:
    void Start(const std::string& name, std::vector<std::string> gameServerArgs) {
        m_dir = fs::current_path() / name;
        FreshGame(m_dir);
        std::string world = ReadTextFile(game() / "server" / "world.txt");
        WriteTextFile(game() / "server" / "world.txt", world + "dream 31 66 crystal-caves Test Door\n");
        gameServerArgs.insert(gameServerArgs.begin(), {"--world", game().string()});
        m_gameServer = StartServer(m_dir, "game", std::move(gameServerArgs));
        // Blocks of 500 bytes: the download lasts seconds, long enough to see its progress line.
        m_fileServer =
            StartServer(m_dir, "file", {"--root", BuiltProgram("dreams").string(), "--block-size", "510"});
        ASSERT_TRUE(PointAddressFiles(game(), *m_gameServer, *m_fileServer))
            << m_gameServer->File("stderr.txt") << m_fileServer->File("stderr.txt");
        ASSERT_NO_FATAL_FAILURE(StartClient());
        std::this_thread::sleep_for(1s);
        ASSERT_EQ(RunCommand("xdotool windowfocus --sync " + m_window), 0);
    }
    void Type(const std::string& text) {
        ASSERT_EQ(RunCommand("xdotool windowfocus --sync " + m_window + " type --delay 60 '" + text + "'"),
                  0);
        Keys({"Return"});
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

TEST_F(GameSession, LoginTalkDreamFullScreenAndScaledWindows) {
    ASSERT_NO_FATAL_FAILURE(Start("session", {"--bots", "0"}));
    Keys({"Down", "Return"});  // the second profile of the chooser: Rowan
    // The login exchange byte for byte (the colour line's class digits 0 and 0 as blanks, then a blank).
    ASSERT_TRUE(GameServerGot("1> ]ccmeadow.pcx\\x0a\n")) << GameTranscript() << Client("_error.txt");
    EXPECT_TRUE(
        Poll(10s, [&] { return Capture("xdotool getwindowname " + m_window, m_dir) == "VelmView - Rowan"; }));
    EXPECT_NE(GameTranscript().find(std::string(kGreeting) +
                                    "1< connect Rowan meadow-rowan\\x0a\n"
                                    "1> &&&&&&&&&&&&&\\x0a\n"
                                    "1< desc A tall fox in a green travelling cloak.\\x0a\n"
                                    "1< color 3,,,)A%+1\"   \\x0a\n"
                                    "1> ]ccmeadow.pcx\\x0a\n"
                                    "1> ;maps\\x5cmeadowcross.map\\x0a\n"
                                    "1> @ ? c\\x0a\n"),
              std::string::npos)
        << GameTranscript();

    // Typed lines: spoken, and an emote; each arrives with the client's extra line feed.
    Type("hello there");
    Type(":waves");
    ASSERT_TRUE(GameServerGot("1< \"hello there\\x0a\n1< \\x0a\n")) << GameTranscript();
    ASSERT_TRUE(GameServerGot("1< :waves\\x0a\n1< \\x0a\n")) << GameTranscript();

    // Up steps onto the marker north-east: the dream is offered, downloaded showing progress, and left.
    Keys({"Up"});
    ASSERT_TRUE(GameServerGot("1< m 9\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(GameServerGot("1> ]q crystal-caves\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(Poll(30s, [&] {
        return m_fileServer->File("transcript.txt").find("request crystal-caves by Rowan") !=
               std::string::npos;
    }));
    ASSERT_TRUE(Snapshot(m_window, m_dir / "requested.png"));
    // The progress line ("File Transfer (crystal-caves): WRITTEN / TOTAL") is there and its figures grow.
    const std::string line = "400x20+250+280";
    EXPECT_TRUE(Poll(30s, [&] {
        return Snapshot(m_window, m_dir / "downloading.png") &&
               Measure(m_dir / "downloading.png", line, "%[fx:maxima.r>0.9]") == "1" &&
               Difference(m_dir / "requested.png", m_dir / "downloading.png", line) > 0.005;
    }));
    ASSERT_TRUE(GameServerGot("1< goback\\x0a\n", 120s)) << GameTranscript();
    EXPECT_TRUE(GameServerGot("1< meadowcross\\x0a\n1> (You wake up in Meadowcross.\\x0a\n1< goback\\x0a\n"));
    EXPECT_TRUE(GameServerGot("1> ;maps\\x5cmeadowcross.map\\x0a\n1> @ ? b\\x0a\n"));
    EXPECT_NE(m_fileServer->File("transcript.txt").find("closed: bye (complete)"), std::string::npos);
    EXPECT_EQ(ReadTextFile(game() / "vvw_tmp" / "crystal-caves" / "crystal-caves.dream"),
              ReadTextFile(BuiltProgram("dreams") / "crystal-caves.dream"));
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(Snapshot(m_window, m_dir / "after.png"));
    // The progress line went with the download.
    EXPECT_GT(Difference(m_dir / "downloading.png", m_dir / "after.png", line), 0.02);

    // The world is drawn in the floor palette's colours: remapping to it changes little (grey: a quarter).
    const std::string world = "800x250+0+40";  // below the frame-rate figures
    const fs::path palette = game() / "patches" / "default" / "meadow.pcx";
    const std::string remapped =
        Capture("convert '" + (m_dir / "after.png").string() + "' -crop " + world +
                    " +repage \\( +clone +dither -remap '" + palette.string() +
                    "' \\) -compose difference -composite -format '%[fx:mean]' info:",
                m_dir);
    ASSERT_FALSE(remapped.empty());
    EXPECT_LT(std::atof(remapped.c_str()), 0.03);
    // Keypad 4 held turns the camera: the picture changes.
    ASSERT_EQ(RunCommand("xdotool keydown KP_4 sleep 1 keyup KP_4"), 0);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(Snapshot(m_window, m_dir / "turned.png"));
    EXPECT_GT(Difference(m_dir / "after.png", m_dir / "turned.png", world), 0.05);

    // F11 covers the screen and F11 again brings the window back.
    std::string screen = Capture("xdotool getdisplaygeometry", m_dir);  // "W H"
    screen[screen.find(' ')] = 'x';
    Keys({"F11"});
    EXPECT_TRUE(Poll(10s, [&] { return Geometry() == "  Geometry: " + screen; })) << Geometry();
    Keys({"F11"});
    EXPECT_TRUE(Poll(10s, [&] { return Geometry() == "  Geometry: 800x600"; })) << Geometry();

    // The same picture position looks at the same cell at 800 x 600, with bars at scale one, and scaled.
    ASSERT_TRUE(Snapshot(m_window, m_dir / "small.png"));
    const std::string look = LookLineOfClickAt(400, 180);
    ASSERT_FALSE(look.empty()) << GameTranscript();
    Resize(1000, 600);  // the picture from x = 100, bars of 100 at either side
    EXPECT_EQ(LookLineOfClickAt(500, 180), look);
    Resize(1024, 768);  // 1.28 times
    EXPECT_EQ(LookLineOfClickAt(512, 230), look);
    // The world shown scaled: the 800 x 600 picture enlarged is close to the resized window's picture.
    ASSERT_TRUE(Snapshot(m_window, m_dir / "large.png"));
    ASSERT_EQ(RunCommand("convert '" + (m_dir / "small.png").string() + "' -resize 1024x768! '" +
                         (m_dir / "small-enlarged.png").string() + "'"),
              0);
    EXPECT_LT(Difference(m_dir / "small-enlarged.png", m_dir / "large.png", "1024x280+0+60"), 0.06);

    ASSERT_NO_FATAL_FAILURE(Close());
    // The last size is remembered in the player's configuration folder, not in the game directory.
    EXPECT_NE(
        ReadTextFile(m_dir / "game-config" / "velmview" / "settings.ini").find("width=1024\nheight=768\n"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(game() / "settings.ini"));
}

TEST_F(GameSession, AGreetingSplitAcrossSendsStillLogsIn) {
    ASSERT_NO_FATAL_FAILURE(Start("split", {"--fault", "split-greeting", "--bots", "1"}));
    Keys({"Return"});  // the first profile: Bramble
    ASSERT_TRUE(GameServerGot("1< connect Bramble thorns-and-honey\\x0a\n1> &&&&&&&&&&&&&\\x0a\n"))
        << GameTranscript();
    EXPECT_EQ(GameTranscript().find("1< connect", GameTranscript().find("1< connect") + 1),
              std::string::npos);
    Close();
}

// The lines one session of the game server received ("N< ..."), without the prefix.
std::vector<std::string> ReceivedBySession(const std::string& transcript, int session) {
    std::vector<std::string> lines;
    const std::string prefix = std::to_string(session) + "< ";
    std::istringstream in(transcript);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
}

TEST_F(GameSession, AServerThatClosesIsReportedAndTheClientLogsInAgainByItself) {
    ASSERT_NO_FATAL_FAILURE(Start("reconnect", {"--fault", "close-after-login", "--bots", "0"}));
    Keys({"Return"});  // the first profile: Bramble
    ASSERT_TRUE(GameServerGot("1> &&&&&&&&&&&&&\\x0a\n")) << GameTranscript();
    // The loss goes to _error.txt; after two seconds the client tries again.
    ASSERT_TRUE(Poll(30s, [&] {
        return Client("_error.txt").find("Connection to the game server lost.") == 0;
    })) << Client("_error.txt");
    ASSERT_TRUE(GameServerGot("2> &&&&&&&&&&&&&\\x0a\n")) << GameTranscript();

    // The second login, byte for byte the first.
    const std::vector<std::string> first = ReceivedBySession(GameTranscript(), 1);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), "connect Bramble thorns-and-honey\\x0a");
    EXPECT_EQ(ReceivedBySession(GameTranscript(), 2), first) << GameTranscript();
    EXPECT_NE(GameTranscript().find("2> END\\x0a\n"), std::string::npos);

    Close(false);
    // Only the losses are in _error.txt: no leak report, no misuse.
    std::istringstream errors(Client("_error.txt"));
    for (std::string line; std::getline(errors, line);)
        EXPECT_EQ(line, "Connection to the game server lost.");
}

}  // namespace
