// NetClient and NetServer on loopback.
#include <gtest/gtest.h>

#include <memory>

#include "ServerProcess.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"

namespace {
using namespace std::chrono_literals;

struct TrackedDeleter {
    void operator()(NetClient* client) const { trackedDelete(client, VELM_SITE); }
};
using AcceptedClient = std::unique_ptr<NetClient, TrackedDeleter>;

// A listening server, a client connected to it, and the server's side of that connection.
struct Pair {
    std::unique_ptr<NetServer> server = std::make_unique<NetServer>();
    std::unique_ptr<NetClient> client = std::make_unique<NetClient>();
    AcceptedClient peer;

    Pair() {
        EXPECT_TRUE(server->Listen(0));
        EXPECT_TRUE(client->Connect("127.0.0.1", server->Port()));
        NetClient* taken = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (taken = server->TakeClient()) != nullptr; }));
        peer.reset(taken);
        ClearLog(errorLog);
        ClearLog(netLog);
    }
};

std::string ReceiveAtLeast(NetClient& client, std::size_t count) {
    std::string text;
    WaitUntil([&] {
        std::vector<std::uint8_t> bytes;
        if (client.BufferedBytes() != 0 && client.ReceiveData(bytes)) text.append(bytes.begin(), bytes.end());
        return text.size() >= count;
    });
    return text;
}

class NetClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        NetClient::SetPolling({2ms, 5ms});
        ClearLog(errorLog);
        ClearLog(netLog);
        ClearLog(statLog);
    }
    void TearDown() override { ResetProcessState(); }
};

// Dotted quads are read as four numbers (blanks allowed); other hosts are looked up by name.
TEST_F(NetClientTest, ConnectsByDottedQuadOrNameAndReportsFailures) {
    int closed = 0;
    {
        NetServer gone;
        ASSERT_TRUE(gone.Listen(0));
        closed = gone.Port();
    }
    NetServer server;
    ASSERT_TRUE(server.Listen(0));
    const int open = server.Port();
    const std::tuple<const char*, int, std::string> cases[] = {
        {" 127. 0.0 .1", open, ""},
        {"localhost", open, ""},
        {"127.0.0.1.5", open, "Unable to resolve host \"127.0.0.1.5\" port " + std::to_string(open) + "\n"},
        {"127.0.0.1", closed,
         "Failed to connect to host \"127.0.0.1\" port " + std::to_string(closed) +
             "\n  -connection refused by server\n"}};
    for (const auto& [host, port, log] : cases) {
        ClearLog(errorLog);
        NetClient client;
        EXPECT_EQ(client.Connect(host, port), log.empty()) << host;
        EXPECT_EQ(LogText(errorLog), log) << host;
    }
}

TEST_F(NetClientTest, SentBlocksAreCopiedWithCredentialsMasked) {
    const std::string masked = "(NAME/PASS REMOVED FOR SECURITY)\n";
    const std::pair<std::string, std::string> cases[] = {{"connect Bob hunter2\n", "connect " + masked},
                                                         {"conn", "connect " + masked},
                                                         {"RC Bob hunter2 dream7 0 2 4096\n", "RC " + masked},
                                                         {"connected to you\n", "connected to you\n"},
                                                         {std::string("PKOK 3\n\0tail", 12), "PKOK 3\n"}};
    Pair pair;
    for (const auto& [sent, logged] : cases) {
        ClearLog(netLog);
        ASSERT_TRUE(pair.client->SendData(sent.data(), static_cast<int>(sent.size())));
        EXPECT_EQ(LogText(netLog), "{SENT TO SERVER}" + logged);
        EXPECT_EQ(ReceiveAtLeast(*pair.peer, sent.size()), sent);  // the peer gets the block unchanged
    }
}

TEST_F(NetClientTest, BytesSentBeforeThePeerClosedAreStillHandedOverAsOne) {
    Pair pair;
    ASSERT_TRUE(pair.peer->SendData("first ", 6));
    ASSERT_TRUE(pair.peer->SendData("last words\n", 11));
    pair.peer.reset();
    ASSERT_TRUE(WaitUntil([&] { return !pair.client->IsConnected(); }));
    ClearLog(netLog);
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(pair.client->ReceiveData(out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "first last words\n");
    EXPECT_EQ(LogText(netLog), "first last words\n");
    EXPECT_FALSE(pair.client->ReceiveData(out));
    EXPECT_FALSE(pair.client->SendData("x", 1));
}

TEST_F(NetClientTest, LastUserWritesTheByteTotals) {
    ASSERT_EQ(WinsockUser::UserCount(), 0);
    {
        Pair pair;
        ASSERT_TRUE(pair.client->SendData("hello", 5));
        ASSERT_EQ(ReceiveAtLeast(*pair.peer, 5), "hello");
    }
    EXPECT_EQ(LogText(statLog),
              "Network connection:\n  -Total data sent: 5 bytes\n  -Total data received: 5 bytes\n\n");
}

TEST(NetworkAmountTextTest, BytesUpTo100KbThenKbBelow8MbThenMb) {
    const std::pair<std::uint32_t, std::string> cases[] = {
        {103423, "103423 bytes"}, {103424, "101KB"}, {8388607, "8191KB"}, {8388608, "8MB"}};
    for (const auto& [total, text] : cases) EXPECT_EQ(NetworkAmountText(total), text) << total;
}

TEST_F(NetClientTest, DestroyingAConnectedClientStopsItsThreadPromptly) {
    NetClient::SetPolling({});  // the program's own pauses
    Pair pair;
    const auto start = std::chrono::steady_clock::now();
    pair.client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(WaitUntil([&] { return !pair.peer->IsConnected(); }));
}

TEST_F(NetClientTest, ServerHandsOutConnectionsOldestFirstUntilItStops) {
    NetServer server, other;
    ASSERT_TRUE(server.Listen(0));
    EXPECT_FALSE(other.Listen(server.Port()));  // the port is in use

    NetClient first, second, third;
    ASSERT_TRUE(first.Connect("127.0.0.1", server.Port()) && first.SendData("1", 1));
    ASSERT_TRUE(second.Connect("127.0.0.1", server.Port()) && second.SendData("2", 1));
    std::vector<AcceptedClient> taken;
    ASSERT_TRUE(WaitUntil([&] {
        if (NetClient* client = server.TakeClient()) taken.emplace_back(client);
        return taken.size() == 2;
    }));
    EXPECT_EQ(ReceiveAtLeast(*taken[0], 1) + ReceiveAtLeast(*taken[1], 1), "12");
    // StopListening closes the connections not yet taken.
    ASSERT_TRUE(third.Connect("127.0.0.1", server.Port()));
    server.StopListening();
    EXPECT_EQ(server.TakeClient(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !third.IsConnected(); }));
}
}  // namespace
