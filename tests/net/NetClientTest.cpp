// NetClient and NetServer on real loopback sockets: connecting, the traffic and its copies in the logs,
// the byte totals, accepting, and stopping the threads.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "ServerProcess.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "runtime/MemoryTracker.h"
#include "support/TestSupport.h"

namespace {
using namespace std::chrono_literals;

// Accepted connections are tracked objects: they go back through the tracker.
struct TrackedDeleter {
    void operator()(NetClient* client) const { trackedDelete(client, VELM_SITE); }
};
using AcceptedClient = std::unique_ptr<NetClient, TrackedDeleter>;

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

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
    }
};

// Receives until the wanted number of bytes has arrived (bounded).
std::string ReceiveAtLeast(NetClient& client, std::size_t count) {
    std::string text;
    WaitUntil([&] {
        std::vector<std::uint8_t> bytes;
        if (client.BufferedBytes() != 0 && client.ReceiveData(bytes)) text += Text(bytes);
        return text.size() >= count;
    });
    return text;
}

class NetClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        NetClient::SetPollingForTests(2ms, 5ms);
        ClearLog(errorLog);
        ClearLog(netLog);
        ClearLog(statLog);
    }
    void TearDown() override { NetClient::SetPollingForTests(20ms, 100ms); }
};

TEST_F(NetClientTest, ConnectToAClosedPortIsRefused) {
    int port;
    {
        NetServer server;
        ASSERT_TRUE(server.Listen(0));
        port = server.Port();
    }
    ClearLog(errorLog);
    NetClient client;
    EXPECT_FALSE(client.Connect("127.0.0.1", port));
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(LogText(errorLog), "Failed to connect to host \"127.0.0.1\" port " + std::to_string(port) +
                                     "\n  -connection refused by server\n");
}

TEST_F(NetClientTest, UnknownHostNameIsReported) {
    NetClient client;
    EXPECT_FALSE(client.Connect("no-such-host.invalid", 4000));
    EXPECT_EQ(LogText(errorLog), "Unable to resolve host \"no-such-host.invalid\" port 4000\n");
}

// Hosts that are dotted quads are read as four numbers (blanks allowed, low 8 bits kept); others are
// looked up by name.
struct HostCase {
    const char* host;
    bool connects;
};

class DottedQuadTest : public NetClientTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(DottedQuadTest, HostReachesTheLoopbackServerOrNot) {
    NetServer server;
    ASSERT_TRUE(server.Listen(0));
    NetClient client;
    EXPECT_EQ(client.Connect(GetParam().host, server.Port()), GetParam().connects) << GetParam().host;
    const std::string errors = LogText(errorLog);
    if (!GetParam().connects) {
        EXPECT_NE(errors.find("Unable to resolve host"), std::string::npos) << errors;
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, DottedQuadTest,
                         ::testing::Values(HostCase{"127.0.0.1", true}, HostCase{" 127. 0.0 .1", true},
                                           HostCase{"383.0.256.1", true},  // 383 & 255 = 127, 256 & 255 = 0
                                           HostCase{"localhost", true}, HostCase{"127.0.0.1.5", false},
                                           HostCase{"127.0.0.1x", false}));

TEST_F(NetClientTest, BlocksArriveInOrderAndComeOutAsOne) {
    Pair pair;
    ASSERT_TRUE(pair.peer->SendData("first ", 6));
    ASSERT_TRUE(pair.peer->SendData("second\n", 7));
    ASSERT_TRUE(WaitUntil([&] { return pair.client->PendingBytes() == 13; }));
    ClearLog(netLog);
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(pair.client->ReceiveData(out));
    EXPECT_EQ(Text(out), "first second\n");
    EXPECT_EQ(LogText(netLog), "first second\n");  // received bytes are copied as they are

    std::vector<std::uint8_t> untouched = {'x', 'y'};
    EXPECT_FALSE(pair.client->ReceiveData(untouched));
    EXPECT_EQ(Text(untouched), "xy");
    EXPECT_EQ(pair.client->PendingBytes(), 0u);
}

TEST_F(NetClientTest, ZeroLengthSendWritesNothing) {
    Pair pair;
    ClearLog(errorLog);
    ClearLog(netLog);
    EXPECT_FALSE(pair.client->SendData("abc", 0));
    EXPECT_FALSE(pair.client->SendData(nullptr, 3));
    EXPECT_EQ(LogText(errorLog), "");
    EXPECT_EQ(LogText(netLog), "");
}

struct MaskCase {
    std::string sent;
    std::string logged;
};

class NetLogMaskTest : public NetClientTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(NetLogMaskTest, SentBlocksAreCopiedWithCredentialsMasked) {
    Pair pair;
    ClearLog(netLog);
    ASSERT_TRUE(pair.client->SendData(GetParam().sent.data(), static_cast<int>(GetParam().sent.size())));
    EXPECT_EQ(LogText(netLog), GetParam().logged);
    // The peer gets the block unchanged.
    EXPECT_EQ(ReceiveAtLeast(*pair.peer, GetParam().sent.size()).substr(0, GetParam().sent.size()),
              GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, NetLogMaskTest,
    ::testing::Values(
        MaskCase{"connect Bob hunter2\n", "{SENT TO SERVER}connect (NAME/PASS REMOVED FOR SECURITY)\n"},
        MaskCase{"conn", "{SENT TO SERVER}connect (NAME/PASS REMOVED FOR SECURITY)\n"},
        MaskCase{"RC Bob hunter2 dream7 0 2 4096\n", "{SENT TO SERVER}RC (NAME/PASS REMOVED FOR SECURITY)\n"},
        MaskCase{"connected to you\n", "{SENT TO SERVER}connected to you\n"},
        MaskCase{"say hello\n", "{SENT TO SERVER}say hello\n"},
        MaskCase{std::string("PKOK 3\n\0tail", 12), "{SENT TO SERVER}PKOK 3\n"}));

TEST_F(NetClientTest, SecondConnectIsMisuse) {
    Pair pair;
    ClearLog(errorLog);
    EXPECT_FALSE(pair.client->Connect("127.0.0.1", pair.server->Port()));
    EXPECT_EQ(LogText(errorLog).rfind("Error: Attempt to connect to remove server when already connected.\n"
                                      "  -attempt made from:\n",
                                      0),
              0u)
        << LogText(errorLog);
}

TEST_F(NetClientTest, ClientWithoutSocketLibraryReportsEveryUse) {
    WinsockUser::FailNextStartForTests();
    NetClient client;
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(client.Connect("127.0.0.1", 1));
    EXPECT_FALSE(client.SendData("x", 1));
    EXPECT_FALSE(client.ReceiveData(out));
    client.Disconnect();
    const std::string log = LogText(errorLog);
    for (const char* message :
         {"Failed to init WinSock library.\n",
          "Error: Attempt to call net client Connect when not Init'd.\n  -attempt made from:\n",
          "Error: Attempt to call NETCLIENT::SendData when not Init'd.\n",
          "Error: Attempt to call NETCLIENT::ReceiveData when not Init'd.\n",
          "Error: Attempt to call NETCLIENT::Disconnect when not Init'd.\n"}) {
        EXPECT_NE(log.find(message), std::string::npos) << message;
    }
}

TEST_F(NetClientTest, BytesSentBeforeThePeerClosedAreStillHandedOver) {
    Pair pair;
    ASSERT_TRUE(pair.peer->SendData("last words\n", 11));
    pair.peer.reset();  // closes the connection right after the bytes
    ASSERT_TRUE(WaitUntil([&] { return !pair.client->IsConnected(); }));
    EXPECT_EQ(pair.client->PendingBytes(), 0u);  // the polling hint says nothing once disconnected
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(pair.client->ReceiveData(out));
    EXPECT_EQ(Text(out), "last words\n");
    ClearLog(errorLog);
    EXPECT_FALSE(pair.client->ReceiveData(out));
    EXPECT_EQ(LogText(errorLog).rfind("Error: Attempt to receive data from server when not connected.\n", 0),
              0u);
    EXPECT_FALSE(pair.client->SendData("x", 1));
}

TEST_F(NetClientTest, DisconnectedSendIsMisuse) {
    Pair pair;
    pair.client->Disconnect();
    ClearLog(errorLog);
    EXPECT_FALSE(pair.client->SendData("x", 1));
    EXPECT_EQ(LogText(errorLog).rfind("Error: Attempt to send data to server when not connected.\n", 0), 0u);
}

TEST_F(NetClientTest, LastUserWritesTheByteTotals) {
    ASSERT_EQ(WinsockUser::UserCountForTests(), 0);
    {
        Pair pair;
        ASSERT_TRUE(pair.client->SendData("hello", 5));
        ASSERT_EQ(ReceiveAtLeast(*pair.peer, 5), "hello");
        EXPECT_EQ(LogText(statLog), "");
    }
    // Each byte counts once as sent and once as received (both ends live in this process).
    EXPECT_EQ(LogText(statLog),
              "Network connection:\n  -Total data sent: 5 bytes\n  -Total data received: 5 bytes\n\n");
}

TEST(NetworkAmountTextTest, BytesUpTo100KbThenKbBelow8MbThenMb) {
    const std::vector<std::pair<std::uint32_t, std::string>> cases = {
        {0, "0 bytes"},      {102400, "102400 bytes"}, {103423, "103423 bytes"}, {103424, "101KB"},
        {8388607, "8191KB"}, {8388608, "8MB"},         {4294967295u, "4095MB"}};
    for (const auto& [total, text] : cases) EXPECT_EQ(NetworkAmountText(total), text) << total;
}

TEST_F(NetClientTest, DestroyingAConnectedClientStopsItsThreadPromptly) {
    NetClient::SetPollingForTests(20ms, 100ms);
    Pair pair;
    const auto start = std::chrono::steady_clock::now();
    pair.client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(WaitUntil([&] { return !pair.peer->IsConnected(); }));
}

TEST_F(NetClientTest, ServerHandsOutConnectionsOldestFirst) {
    NetServer server;
    ASSERT_TRUE(server.Listen(0));
    EXPECT_EQ(server.TakeClient(), nullptr);
    NetClient first;
    NetClient second;
    ASSERT_TRUE(first.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(first.SendData("1", 1));
    ASSERT_TRUE(second.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(second.SendData("2", 1));
    std::vector<AcceptedClient> taken;
    ASSERT_TRUE(WaitUntil([&] {
        if (NetClient* client = server.TakeClient()) taken.emplace_back(client);
        return taken.size() == 2;
    }));
    EXPECT_EQ(ReceiveAtLeast(*taken[0], 1), "1");
    EXPECT_EQ(ReceiveAtLeast(*taken[1], 1), "2");
}

TEST_F(NetClientTest, ListenOnAPortInUseFails) {
    NetServer holder;
    ASSERT_TRUE(holder.Listen(0));
    const int port = holder.Port();
    NetServer second;
    ClearLog(errorLog);
    EXPECT_FALSE(second.Listen(port));
    EXPECT_EQ(LogText(errorLog), "Failed to bind server socket to port " + std::to_string(port) +
                                     "\nServer socket refused to listen.");
    EXPECT_FALSE(second.IsListening());
}

TEST_F(NetClientTest, ListenTwiceIsMisuse) {
    NetServer server;
    ASSERT_TRUE(server.Listen(0));
    EXPECT_FALSE(server.Listen(0));
    EXPECT_EQ(LogText(errorLog).rfind("Error: Attempt to make server listen, when it's already listening.\n"
                                      "  -attempt made from:\n",
                                      0),
              0u);
}

TEST_F(NetClientTest, StopListeningDropsQueuedConnections) {
    NetServer server;
    ASSERT_TRUE(server.Listen(0));
    NetClient client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.Port()));
    // Queued or still waiting to be accepted, the connection is closed by StopListening.
    server.StopListening();
    EXPECT_FALSE(server.IsListening());
    EXPECT_EQ(server.TakeClient(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !client.IsConnected(); }));
}

}  // namespace
