// The real client against both stand-in servers: login, talk, a dream's download, looking, and losing
// the server. Judged by the transcripts, the client's logs and pictures of the window.
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
    // Text goes to the focused window; the focus is set again first, in case it moved.
    void Type(const std::string& text) {
        ASSERT_EQ(RunCommand("xdotool windowfocus --sync " + m_window + " type --delay 60 '" + text + "'"),
                  0);
        Keys({"Return"});
    }
};

TEST_F(GameSession, LoginTalkWalkIntoADreamAndLook) {
    ASSERT_NO_FATAL_FAILURE(Start("session", {"--bots", "0"}));
    Keys({"Down", "Return"});  // the second profile of the chooser: Rowan
    // The login exchange, byte for byte: greeting, login line, acknowledgement, description and colours
    // (the two class digits 0 and 0 as blanks, then the trailing blank), then the world.
    ASSERT_TRUE(GameServerGot("1> ]ccmeadow.pcx\\x0a\n")) << GameTranscript() << Client("_error.txt");
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
    EXPECT_TRUE(
        Poll(10s, [&] { return Client("_netlog.txt").find("(Rowan: hello there") != std::string::npos; }));

    // Up steps north-east onto the marker: the dream is offered and downloaded, its progress shown at the
    // transfer line, and the client sends the lines that return it to the map.
    Keys({"Up"});
    ASSERT_TRUE(GameServerGot("1< m 9\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(GameServerGot("1> ]q crystal-caves\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(Poll(30s, [&] {
        return m_fileServer->File("transcript.txt").find("request crystal-caves by Rowan") !=
               std::string::npos;
    }));
    ASSERT_TRUE(Snapshot(m_window, m_dir / "requested.png"));
    // The progress line ("File Transfer (crystal-caves): WRITTEN / TOTAL" at 250, 280) is there and its
    // figures grow while the download runs.
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

    // The world above the chat is drawn in the floor palette's colours: mapping each pixel to the nearest
    // palette colour changes it little (a grey palette would change it by about a quarter).
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

    // A click on the world sends a look at the cell under the pointer, and the server describes it.
    ASSERT_EQ(RunCommand("xdotool mousemove --window " + m_window + " 400 180 click 1"), 0);
    ASSERT_TRUE(Poll(30s, [&] {
        return std::regex_search(
            GameTranscript(), std::regex("\n1< l [ -~]{4,16}\\\\x0a\n1> \\((You see \\(|There is nothing)"));
    })) << GameTranscript();

    Close();
    const std::string netlog = Client("_netlog.txt");
    EXPECT_EQ(netlog.find("meadow-rowan"), std::string::npos);
    EXPECT_NE(netlog.find("connect (NAME/PASS REMOVED FOR SECURITY)"), std::string::npos);
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

// The received lines of one session of the game server's transcript ("N< ..."), without the prefix.
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
    // The loss goes to _error.txt once and to the chat in red; after two seconds the client tries again.
    ASSERT_TRUE(Poll(30s, [&] {
        return Client("_error.txt").find("Connection to the game server lost.") == 0;
    })) << Client("_error.txt");
    ASSERT_TRUE(GameServerGot("2> &&&&&&&&&&&&&\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(Snapshot(m_window, m_dir / "lost.png"));
    const std::string red = Capture("convert '" + (m_dir / "lost.png").string() +
                                        "' -crop 700x250+50+300 +repage -fuzz 3% -fill black +opaque "
                                        "'rgb(220,150,150)' -fill white -opaque 'rgb(220,150,150)' "
                                        "-format '%[fx:mean]' info:",
                                    m_dir);
    EXPECT_GT(std::atof(red.c_str()), 0.0005) << red;

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
