// The game connection's loss and reconnection on loopback sockets, timed by a clock the test moves.
#include <memory>

#include "ClientTestSupport.h"
#include "client/CMain.h"
#include "client/ConnectionKeeper.h"
#include "client/ServerLines.h"
#include "data/PlayerProfile.h"
#include "gfx/CTextWindow.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"
#include "runtime/ProcessState.h"

namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

constexpr const char* kLost = "Connection to the server lost.";

class ReconnectionTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        WriteProfile("bob.ini", "Bob");
        ASSERT_TRUE(LoadPlayerIni("bob.ini"));
        PointAt(*server);
    }
    static void PointAt(const LoopbackServer& target) {
        WriteTextFile("data/velm_ip.txt", "127.0.0.1 " + std::to_string(target.Port()) + "\n");
    }
    std::chrono::steady_clock::time_point now{};
    ConnectionKeeper::Clock clock = [this] { return now; };
    std::unique_ptr<LoopbackServer> server = std::make_unique<LoopbackServer>();
};

class KeeperTest : public ReconnectionTest {
protected:
    void SetUp() override {
        ReconnectionTest::SetUp();
        keeper = std::make_unique<ConnectionKeeper>(
            clock, [this](const std::string& text, ConnectionKeeper::Tone) { chat.push_back(text); });
    }
    void TearDown() override {
        keeper.reset();
        ReconnectionTest::TearDown();
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
    Lines chat;
    std::unique_ptr<ConnectionKeeper> keeper;
};

TEST_F(KeeperTest, PausesGrowToThirtySecondsAndF5TriesAtOnce) {
    keeper->ConnectFirst();
    ASSERT_TRUE(server->Accept());
    server.reset();  // the connection and the listener go: every try is refused
    UpdateUntilLost();
    EXPECT_EQ(ErrorText(), "Connection to the game server lost.\n");
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
    EXPECT_EQ(Said("Reconnecting in 16 s (F5 to try now)..."), 1);
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
    EXPECT_TRUE(LoginRefused());
    server->Close();
    UpdateUntilLost();
    now += 1h;
    keeper->Update(true);
    EXPECT_FALSE(keeper->IsWaiting());
    EXPECT_EQ(Said("Reconnecting in 2 s (F5 to try now)..."), 0);
}

class ReconnectingSceneTest : public ReconnectionTest {
protected:
    std::string LogIn(CMain& scene, std::size_t count) {
        EXPECT_TRUE(server->Accept());
        server->Send("Welcome\nEND\n");
        WaitFor([&] {
            scene.Update(0);
            return server->Received(0).size() >= 15;
        });
        server->Send("&&&&&&&&&&&&&\n");
        WaitFor([&] {
            scene.Update(0);
            return server->Received(0).size() >= count;
        });
        return server->Received(count);
    }
};

TEST_F(ReconnectingSceneTest, OfflineKeysSendNothingAndADownloadOutlivesTheLossAndTheNewLogin) {
    CMain scene(clock);
    const std::string login = "connect Bob pw\ndesc A cat\ncolor 0123456789#' \n";
    EXPECT_EQ(LogIn(scene, login.size()), login);
    // A download to a silent file server.
    LoopbackServer fileServer;
    WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 " + std::to_string(fileServer.Port()) + "\n");
    StartDownload("lake", 0, "vvw_tmp\\lake");
    ASSERT_TRUE(fileServer.Accept());

    server->Close();
    ASSERT_TRUE(WaitFor([&] {
        scene.Update(0);
        return Chat(scene).back() == "Reconnecting in 2 s (F5 to try now)...";
    }));
    // Offline, Enter and the movement keys do nothing; the typed line stays.
    Type("h\r");
    Key(platform::kVkUp);
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(), "h");

    now += 2s;
    scene.Update(0);
    EXPECT_EQ(LogIn(scene, login.size()), login);
    ASSERT_EQ(Transfers().size(), 1u);
    EXPECT_FALSE(Transfers().front().getter->IsFinished());
}

}  // namespace
