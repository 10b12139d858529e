// A session recorded with --record, then replayed with --replay --speed 4: same last picture and received
// text (no bots, the pointer in one place, the frame-rate figures and input line blanked).
#include <gtest/gtest.h>

#include <regex>

#include "E2eSupport.h"

namespace {
using namespace e2e;

class RecordReplay : public Session {
protected:
    void SetUp() override {
        Session::SetUp();
        if (IsSkipped()) return;
        m_dir = fs::current_path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        FreshGame(m_dir);
    }
    // The client with the arguments, its window focused and the pointer at one place.
    void StartClient(const std::vector<std::string>& arguments) {
        ASSERT_NO_FATAL_FAILURE(Session::StartClient(arguments));
        ASSERT_EQ(RunCommand("xdotool windowfocus --sync " + m_window + " mousemove --window " + m_window +
                             " 400 150"),
                  0);
    }
    // The window's picture with the frame-rate figures and the input line blanked.
    bool Picture(const fs::path& png) {
        const fs::path raw = m_dir / "raw.png";
        return Snapshot(m_window, raw) &&
               RunCommand("convert '" + raw.string() +
                          "' -fill black -draw 'rectangle 0,0 259,39' -draw 'rectangle 0,548 799,591' '" +
                          png.string() + "'") == 0;
    }
    // The number of pixels in which two pictures differ; -1 when they could not be compared.
    long DifferingPixels(const fs::path& a, const fs::path& b) {
        const fs::path out = m_dir / "compare.txt";
        RunCommand("compare -metric AE '" + a.string() + "' '" + b.string() + "' null: 2> '" + out.string() +
                   "'");
        const std::string text = ReadTextFile(out);
        return text.empty() || text[0] < '0' || text[0] > '9' ? -1 : std::atol(text.c_str());
    }
    // Takes pictures until two in a row are equal: the window has settled.
    bool SettledPicture(const fs::path& png) {
        const fs::path previous = m_dir / "previous.png";
        return Poll(30s, [&] {
            const bool taken = Picture(png) && DifferingPixels(png, previous) == 0;
            fs::copy_file(png, previous, fs::copy_options::overwrite_existing);
            return taken;
        });
    }
};

// _netlog.txt without the copies of sent lines (a typed line's copy has a second line feed).
std::string ReceivedText(const std::string& netlog) {
    return std::regex_replace(netlog, std::regex("\\{SENT TO SERVER\\}[^\\n]*\\n\\n?"), "");
}

TEST_F(RecordReplay, TheReplayEndsOnTheSessionsLastPictureWithTheSameReceivedText) {
    m_gameServer = StartServer(m_dir, "game", {"--world", game().string(), "--bots", "0"});
    ASSERT_TRUE(Poll(10s, [&] { return !m_gameServer->File("port.txt").empty(); }))
        << m_gameServer->File("stderr.txt");
    WriteTextFile(game() / "data" / "velm_ip.txt", "127.0.0.1 " + m_gameServer->File("port.txt"));

    // The session: the first profile, a spoken line, two steps and a turn.
    ASSERT_NO_FATAL_FAILURE(StartClient({"--record", "session.rec"}));
    // Enter until the chooser takes it (the keyboard may be acquired late); in the world it sends nothing.
    ASSERT_TRUE(Poll(60s, [&] {
        Keys({"Return"});
        return Poll(3s, [&] { return GameTranscript().find("1> @ ") != std::string::npos; });
    })) << GameTranscript();
    ASSERT_EQ(RunCommand("xdotool type --delay 60 'hello there'"), 0);
    Keys({"Return", "Up", "Up", "Insert"});
    ASSERT_TRUE(GameServerGot("1< m 9\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(GameServerGot("1< <\\x0a\n")) << GameTranscript();
    ASSERT_TRUE(
        Poll(10s, [&] { return Client("_netlog.txt").find("(Bramble: hello there") != std::string::npos; }));
    ASSERT_TRUE(SettledPicture(m_dir / "session.png"));
    ASSERT_NO_FATAL_FAILURE(Close());
    const std::string received = ReceivedText(Client("_netlog.txt"));
    ASSERT_NE(received.find("END"), std::string::npos);
    const std::string recording = Client("session.rec");
    EXPECT_EQ(recording.rfind("VELMVIEW SESSION RECORDING 1\n", 0), 0u);
    EXPECT_EQ(recording.find("thorns-and-honey"), std::string::npos);  // the password stays out

    // The replay, with the server still listening: nothing reaches it.
    ASSERT_NO_FATAL_FAILURE(StartClient({"--replay", "session.rec", "--speed", "4"}));
    EXPECT_TRUE(Poll(60s, [&] { return ReceivedText(Client("_netlog.txt")) == received; }))
        << Client("_netlog.txt");
    EXPECT_TRUE(Poll(30s,
                     [&] {
                         return Picture(m_dir / "replay.png") &&
                                DifferingPixels(m_dir / "session.png", m_dir / "replay.png") == 0;
                     }))
        << DifferingPixels(m_dir / "session.png", m_dir / "replay.png") << " pixels differ";
    // Not trivially alike: the world and the chat are drawn.
    EXPECT_GT(std::atof(Measure(m_dir / "session.png", "800x480+0+60", "%[fx:mean]").c_str()), 0.05);
    // Keys typed in the replay send nothing, and the input line says the session is a replay.
    Keys({"a", "Return", "Up"});
    ASSERT_TRUE(Snapshot(m_window, m_dir / "replay-input.png"));
    EXPECT_EQ(Measure(m_dir / "replay-input.png", "700x24+50+555", "%[fx:maxima.r>0.9]"), "1");
    ASSERT_NO_FATAL_FAILURE(Close());
    EXPECT_EQ(GameTranscript().find("2 accepted"), std::string::npos);
}
}  // namespace
