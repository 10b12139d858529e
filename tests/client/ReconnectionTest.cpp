// The game connection's loss and reconnection on loopback sockets, timed by a clock the test moves.
#include <memory>

#include "ClientTestSupport.h"
#include "client/ConnectionKeeper.h"
#include "client/ServerLines.h"
#include "data/PlayerProfile.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kLost = "Connection to the server lost.";

class KeeperTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        WriteProfile("bob.ini", "Bob");
        ASSERT_TRUE(LoadPlayerIni("bob.ini"));
        PointAt(*server);
        keeper = std::make_unique<ConnectionKeeper>(
            [this] { return now; },
            [this](const std::string& text, ConnectionKeeper::Tone) { chat.push_back(text); });
    }
    void TearDown() override {
        keeper.reset();
        ClientTest::TearDown();
    }
    static void PointAt(const LoopbackServer& target) {
        WriteTextFile("data/velm_ip.txt", "127.0.0.1 " + std::to_string(target.Port()) + "\n");
    }
    void UpdateUntilLost() {
        ASSERT_TRUE(WaitFor([&] {
            keeper->Update(false);
            return Said(kLost) == 1;
        }));
    }
    int Said(const std::string& text) const {
        return static_cast<int>(std::count(chat.begin(), chat.end(), text));
    }
    std::chrono::steady_clock::time_point now{};
    std::unique_ptr<LoopbackServer> server = std::make_unique<LoopbackServer>();
    std::vector<std::string> chat;
    std::unique_ptr<ConnectionKeeper> keeper;
};

TEST_F(KeeperTest, PausesGrowToThirtySecondsAndF5TriesAtOnce) {
    keeper->ConnectFirst();
    ASSERT_TRUE(server->Accept());
    server.reset();  // the connection and the listener go: every try is refused
    UpdateUntilLost();
    const std::string failed = "CONNECTION TO SERVER FAILED.\n";
    for (int pause : {2, 4, 8, 16, 30, 30}) {
        SCOPED_TRACE(pause);
        const int tries = Said(failed);
        now += std::chrono::seconds(pause) - 1ms;
        keeper->Update(false);
        EXPECT_EQ(Said(failed), tries);
        now += 1ms;
        keeper->Update(false);
        EXPECT_EQ(Said(failed), tries + 1);
    }
    EXPECT_EQ(Said("Reconnecting in 30 s (F5 to try now)..."), 3);

    // F5: the address file is read again and the new server is reached without waiting.
    LoopbackServer second;
    PointAt(second);
    keeper->Update(true);
    EXPECT_TRUE(keeper->IsConnected());
    EXPECT_TRUE(second.Accept());
    EXPECT_EQ(Said(kLost), 1);
    EXPECT_EQ(chat.back(), "Connected to server.\n");
}

TEST_F(KeeperTest, NoReconnectionAfterARefusedLogin) {
    keeper->ConnectFirst();
    ASSERT_TRUE(server->Accept());
    Batch("END\n");
    Batch("Nope.\n");
    server->Close();
    UpdateUntilLost();
    now += 1h;
    keeper->Update(true);
    EXPECT_FALSE(keeper->IsWaiting());
    EXPECT_FALSE(keeper->IsConnected());
}

}  // namespace
