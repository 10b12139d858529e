// The chat log, and the main scene's paste and wheel scrollback.
#include <algorithm>
#include <string>
#include <tuple>

#include "ClientTestSupport.h"
#include "client/CMain.h"
#include "client/ChatLog.h"
#include "gfx/CTextWindow.h"
#include "runtime/Pointer.h"

namespace {

using platform::WindowMessage;

std::tm At(int day, int hour, int minute, int second) {  // in December 2026
    std::tm t{};
    std::tie(t.tm_sec, t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon, t.tm_year) =
        std::tuple(second, minute, hour, day, 11, 126);
    return t;
}

class ChatLogTest : public ClientTest {};

TEST_F(ChatLogTest, OnlyPrintableBytesAreKeptAndInlineCodesGo) {
    const struct {
        std::string message;
        std::string logged;
    } cases[] = {
        {std::string("\x00\x10\x20\x30\xFF", 5) + "red", "red"},  // a colour code and its four bytes
        {std::string("a\x02\0\0\0\0b", 7), "ab"},                 // a background code
        {"tab\there\x7f caf\xE9!", "tabhere caf!"},
        {std::string("cut\x01\x05", 5), "cut"},  // a code cut short ends the text
    };
    for (const auto& c : cases) EXPECT_EQ(ChatLog::Printable(c.message), c.logged);
}

TEST_F(ChatLogTest, LinesGoToTheDaysFileWhichIsNeverEmptiedAndANewOneAfterMidnightWithoutThePassword) {
    std::tm now = At(8, 23, 59, 58);
    ChatLog log("chatlog", [&] { return now; });
    WriteTextFile("chatlog/2026-12-08.txt", "12:00:00 from an earlier run\n");
    log.SetSecret("Bob", "hunter2");
    for (const char* text :
         {"first\nsecond\n\n", "connect Bob hunter2", "my word is hunter2 ok", "hunter22 ok"})
        log.Append(text);
    now = At(9, 0, 0, 1);
    log.Append("after midnight");
    EXPECT_EQ(ReadTextFile("chatlog/2026-12-08.txt"),
              "12:00:00 from an earlier run\n23:59:58 first\n23:59:58 second\n23:59:58 my word is (REMOVED) "
              "ok\n23:59:58 hunter22 ok\n");
    EXPECT_EQ(ReadTextFile("chatlog/2026-12-09.txt"), "00:00:01 after midnight\n");
    EXPECT_EQ(ErrorText(), "");
}

TEST_F(ChatLogTest, AnUnwritableLogCostsOneLineAndNothingElse) {
    WriteTextFile("chatlog", "a file where the folder should be");
    ChatLog log("chatlog", [] { return At(8, 10, 0, 0); });
    log.Append("one");
    log.Append("two");
    const std::string error = ErrorText();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_NE(error.find("chat log"), std::string::npos);
    EXPECT_EQ(ReadTextFile("chatlog"), "a file where the folder should be");
}

class DesktopChatTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        WriteTextFile("data/velm_ip.txt", "127.0.0.1 " + std::to_string(server.Port()) + "\n");
    }
    // Greeting lines: each shows in the chat window.
    void ServerLines(CMain& scene, int first, int last) {
        std::string bytes;
        for (int i = first; i <= last; ++i) bytes += "line " + std::to_string(i) + "\n";
        server.Send(bytes);
        ASSERT_TRUE(WaitFor([&] { return scene.Connection().PendingBytes() >= bytes.size(); }));
        scene.Update(0);
    }
    static void Wheel(CMain& scene, int y, int notches) {
        HandlePointerMessage({WindowMessage::MouseWheel, 0, false, 400, y, notches});
        scene.Update(0);
    }
    static std::string LastVisible(const CMain& scene) {
        std::string text = scene.ChatWindow().VisibleText();
        text.pop_back();
        return text.substr(text.rfind('\n') + 1);
    }
    LoopbackServer server;
};

TEST_F(DesktopChatTest, TheWheelOverThePanelScrollsBackAndTheViewStaysUntilEnter) {
    CMain scene;
    ASSERT_TRUE(server.Accept());
    ServerLines(scene, 1, 1040);
    // Two notches away from the player: six lines back; the view stays as lines arrive.
    Wheel(scene, 400, 2);
    EXPECT_EQ(LastVisible(scene), "line 1034");
    const std::string view = scene.ChatWindow().VisibleText();
    ServerLines(scene, 1041, 1045);
    EXPECT_EQ(scene.ChatWindow().VisibleText(), view);
    // One notch back: three lines.
    Wheel(scene, 400, -1);
    EXPECT_EQ(LastVisible(scene), "line 1037");
    // Enter returns to the newest line.
    HandleCharMessage({WindowMessage::Char, 13, false, 0, 0});
    scene.Update(0);
    EXPECT_EQ(LastVisible(scene), "line 1045");
}

TEST_F(DesktopChatTest, PastedAndTypedTextShareTheInputLinesBound) {
    CMain scene;
    ASSERT_TRUE(server.Accept());
    WindowMessage paste{WindowMessage::Paste, 0, false, 0, 0, 0, std::string(700, 'p')};
    HandleCharMessage(paste);
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(), std::string(700, 'p'));
    for (int i = 0; i < 400; ++i) HandleCharMessage({WindowMessage::Char, 'y', false, 0, 0});
    HandleCharMessage(paste);
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(), std::string(700, 'p') + std::string(300, 'y'));
    EXPECT_EQ(server.ReceivedAfterQuiet(), "");  // nothing is sent by a paste
}

}  // namespace
