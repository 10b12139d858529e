// The game protocol on a loopback connection: line framing, the greeting and the login handshake, the
// dispatch of logged-in lines, and the lines the client sends.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

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
    bool WaitUntilPending(std::uint32_t count) {
        return WaitFor([&] { return client.PendingBytes() >= count; });
    }
    // One batch as PumpServerLines hands it over.
    static void Batch(const std::string& bytes) {
        HandleServerBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }

    LoopbackServer server;
    NetClient client;
};

TEST_F(ServerLinesTest, BytesAreCutIntoLinesAtLineFeedsOnly) {
    // Greeting lines are posted unchanged, so the posts show the framing.
    struct Row {
        std::vector<std::string> batches;
        Lines lines;
    } rows[] = {
        {{"abc"}, {}},
        {{"abc", "def\n"}, {"abcdef"}},
        {{"a\r\nb\n\nc"}, {"a\r", "b", ""}},
        {{"x\ny", "\n"}, {"x", "y"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.batches.front());
        ResetProcessState();
        for (const std::string& batch : row.batches) Batch(batch);
        EXPECT_EQ(TakeMessages(), row.lines);
    }
}

TEST_F(ServerLinesTest, ALineBeyondOneMebibyteIsDroppedUpToItsLineFeed) {
    const std::string longLine(ServerLineFramer::kMaxLineLength + 1, 'x');
    Batch("first\n" + longLine.substr(0, 1000));
    Batch(longLine.substr(1000));
    Batch("yyy\nsecond\n" + longLine + "\nthird\n");
    EXPECT_EQ(TakeMessages(), (Lines{"first", "second", "third"}));
    const std::string message =
        "Server line longer than 1048576 bytes without a line feed: dropped up to its line feed.\n";
    EXPECT_EQ(ErrorText(), message + message);
    // A line of exactly the limit is still handled.
    Batch(std::string(ServerLineFramer::kMaxLineLength, 'z') + "\n");
    EXPECT_EQ(TakeMessages().size(), 1u);
}

TEST_F(ServerLinesTest, TheGreetingInOneBatchIsPostedAndAnsweredWithTheLoginOnce) {
    const std::string greeting = "Welcome\nEND of greeting\nmore END\n";
    server.Send(greeting);
    ASSERT_TRUE(WaitUntilPending(static_cast<std::uint32_t>(greeting.size())));
    PumpServerLines();
    EXPECT_EQ(TakeMessages(), (Lines{"Welcome", "END of greeting", "more END"}));
    EXPECT_EQ(server.ReceivedAfterQuiet(), "connect Bob pw\n");
    // The greeting is over: a later line is not posted (not logged in yet).
    Batch("(later\n");
    EXPECT_EQ(TakeMessages(), Lines{});
}

TEST_F(ServerLinesTest, AGreetingSplitAcrossReadsStillLogsIn) {
    Batch("Welcome\nto the ");
    Batch("meadow\n");
    EXPECT_EQ(server.ReceivedAfterQuiet(), "");
    Batch("END\n");
    EXPECT_EQ(TakeMessages(), (Lines{"Welcome", "to the meadow", "END"}));
    EXPECT_EQ(server.Received(15), "connect Bob pw\n");
}

TEST_F(ServerLinesTest, TheAcknowledgementSendsDescriptionAndColoursThenTextsArePosted) {
    Batch("END\n");
    TakeMessages();
    Batch("(hello\n&&&&&&&&&&&&\n");  // before the acknowledgement: dropped; twelve ampersands are not it
    EXPECT_EQ(TakeMessages(), Lines{});
    Batch("welcome &&&&&&&&&&&&& in\n(hello\n[a\tb\x7F\x80~c\n(\n");
    EXPECT_EQ(TakeMessages(), (Lines{"hello", "ab~c"}));
    // spec1 3 and spec2 7 are sent as one base-95 digit each.
    const std::string expected = "connect Bob pw\ndesc A cat\ncolor 0123456789#' \n";
    EXPECT_EQ(server.Received(expected.size()), expected);
}

TEST_F(ServerLinesTest, RefusalsArePostedOnlyWhenTheLineIsExactlyOne) {
    LogInWithoutConnection();
    TakeMessages();
    Batch("Nope.\nInvalid Name or password.\nNope.\r\nNope. \n");
    const std::string refused = "Server reported error while trying to log in.";
    EXPECT_EQ(TakeMessages(), (Lines{refused, refused}));
}

TEST_F(ServerLinesTest, LinesShorterThanTheirKindAreIgnored) {
    LogInWithoutConnection();
    HandleServerLine("@!!!");  // four characters: ignored
    std::int32_t x = -1, y = -1;
    GetPlayerPosition(x, y);
    EXPECT_EQ(x, 0);
    HandleServerLine("@" + encodeBase95(0, true) + encodeBase95(3, true));
    std::int32_t gx = 0, gy = 0;
    fileToGrid(0, 3, gx, gy);
    GetPlayerPosition(x, y);
    EXPECT_EQ((std::pair{x, y}), (std::pair{gx, gy}));
    for (const char* shortLine : {"]s!!!!!", "<0123456789!!!", "/0123456789!!!!!!!!!"}) {
        HandleServerLine(shortLine);
    }
    EXPECT_TRUE(DreamMarkerList().empty());
    EXPECT_TRUE(CharacterList().empty());
}

TEST_F(ServerLinesTest, MovesAndLooksSendTheirLines) {
    for (int direction = -1; direction <= 6; ++direction) SendMove(direction);
    ASSERT_TRUE(CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(MapFileBytes(4, 6).data()),
                                       MapFileBytes(4, 6).size(), "maps\\small.map"));
    std::int32_t gx = 0, gy = 0;
    fileToGrid(3, 5, gx, gy);
    EXPECT_TRUE(LookAt(gx, gy));
    // A grid cell outside the map, and the corner cells whose file coordinates are negative.
    std::int32_t width = 0, height = 0;
    mapSize(width, height);
    EXPECT_FALSE(LookAt(width, 0));
    EXPECT_FALSE(LookAt(-1, 0));
    EXPECT_FALSE(LookAt(0, height - 1));
    EXPECT_EQ(server.ReceivedAfterQuiet(), "m 9\nm 7\nm 1\nm 3\n>\n<\nl  # %\n");
    SetGameConnection(nullptr);
    EXPECT_FALSE(SendLine("hello"));
}

}  // namespace
