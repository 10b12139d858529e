// The game protocol on a loopback connection: framing, the greeting, the login and the lines sent.
#include "ClientTestSupport.h"
#include "client/ServerLines.h"
#include "data/AvatarCode.h"
#include "data/DataTestFiles.h"
#include "data/PlayerProfile.h"
#include "data/WorldMap.h"
#include "net/VelmDataManager.h"
#include "runtime/ProcessState.h"

namespace {

using Lines = std::vector<std::string>;

class ServerLinesTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        WriteProfile("bob.ini", "Bob");
        ASSERT_TRUE(LoadPlayerIni("bob.ini"));
        ASSERT_TRUE(client.Connect("127.0.0.1", server.Port()));
        ASSERT_TRUE(server.Accept());
        SetGameConnection(&client);
    }
    void TearDown() override {
        SetGameConnection(nullptr);
        ClientTest::TearDown();
    }
    LoopbackServer server;
    NetClient client;
};

TEST_F(ServerLinesTest, ALineBeyondOneMebibyteIsDroppedUpToItsLineFeed) {
    const std::string longLine(ServerLineFramer::kMaxLineLength + 1, 'x');
    Batch("first\n" + longLine.substr(0, 1000));
    Batch(longLine.substr(1000));
    Batch("yyy\nsecond\n" + longLine + "\n" + longLine.substr(1) + "\n");
    EXPECT_EQ(TakeMessages(), (Lines{"first", "second", longLine.substr(1)}));
    const std::string message =
        "Server line longer than 1048576 bytes without a line feed: dropped up to its line feed.\n";
    EXPECT_EQ(ErrorText(), message + message);
}

TEST_F(ServerLinesTest, LooksOutsideTheMapSendNothing) {
    const std::string map = MapFileBytes(4, 6);
    ASSERT_TRUE(CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(map.data()), map.size(), "m"));
    std::int32_t gx = 0, gy = 0, side = 0;
    fileToGrid(3, 5, gx, gy);
    EXPECT_TRUE(LookAt(gx, gy));
    mapSize(side, side);
    EXPECT_FALSE(LookAt(side, 0));
    EXPECT_FALSE(LookAt(-1, 0));
    EXPECT_FALSE(LookAt(0, side - 1));
    const std::string sent = "l  # %\n";
    EXPECT_EQ(server.ReceivedAfterQuiet(sent.size()), sent);
    SetGameConnection(nullptr);
    EXPECT_FALSE(SendLine("hello"));
}

TEST_F(ServerLinesTest, ARefusalBeforeTheAcknowledgementIsShownAndEndsReconnection) {
    const std::string refused = "Server reported error while trying to log in.";
    const struct {
        const char* line;
        bool refusal;
    } rows[] = {{"Nope.", true}, {"Invalid Name or password.", true}, {"Nope.\r", false}, {" Nope.", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        ResetProcessState();
        Batch("END\n");
        TakeMessages();
        Batch(std::string(row.line) + "\n");
        EXPECT_EQ(TakeMessages(), row.refusal ? Lines{refused} : Lines{});
        EXPECT_EQ(LoginRefused(), row.refusal);
    }
}

TEST_F(ServerLinesTest, TheLastLinesBeforeACloseAreHandled) {
    LogInWithoutConnection();
    TakeMessages();
    server.Send("(farewell\n");
    server.Close();
    ASSERT_TRUE(WaitFor([&] { return !client.IsConnected(); }));
    PumpServerLines();
    EXPECT_EQ(TakeMessages(), Lines{"farewell"});
    PumpServerLines();  // nothing left: no "not connected" report
    EXPECT_EQ(ErrorText(), "");
}

}  // namespace
