// The stand-in servers under hostile load.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "GameServerClient.h"

namespace {

class RawSocket {
public:
    explicit RawSocket(int port, int receiveBuffer = 0) : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        if (receiveBuffer > 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~RawSocket() { ::close(m_fd); }
    void Send(const std::string& bytes) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }
    // Reads until the peer closes; false when it has not closed within the limit.
    bool ClosedByPeerWithin(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        char buffer[4096];
        while (std::chrono::steady_clock::now() < end) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) continue;
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) return true;
            m_received.append(buffer, static_cast<std::size_t>(n));
        }
        return false;
    }
    const std::string& received() const { return m_received; }

private:
    int m_fd;
    std::string m_received;
};

// How long the server takes to answer a step with the mover's position.
std::chrono::milliseconds UpRoundTrip(LineClient& client) {
    const auto start = std::chrono::steady_clock::now();
    client.Send("m 9\n");
    EXPECT_NE(client.WaitForPrefix("@"), "<none>");
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// A 4 x 4 meadow without walls or objects: room for every avatar of a test.
std::filesystem::path OpenWorld() {
    const std::filesystem::path dir = std::filesystem::absolute("open-world");
    const std::string cells(16 * 2, '\0');  // floors, objects, walls: all 0
    WriteTextFile(dir / "maps" / "open.map",
                  "MAP V01.10 Velmoria\nheight=4\nwidth=4\nBODY\n" + cells + cells + cells);
    WriteTextFile(dir / "server" / "world.txt",
                  "greeting Hello\npalette test.pcx\nmap maps\\open.map\nstart 1 1\nfloor 0 grass\n");
    return dir;
}

using ServerLoadTest = GameServerTest;

TEST_F(ServerLoadTest, AClientThatStopsReadingIsDroppedAndDelaysNobody) {
    ServerProcess& server = Start({"--bots", "0"}, OpenWorld());
    LineClient observer(server.port()), talker(server.port());
    observer.Enter("Observer");
    talker.Enter("Talker");
    const std::string text = "\"" + std::string(399, 't') + "\n";
    std::string batch;
    while (batch.size() < (64u << 10)) batch += text;
    RawSocket stalled(server.port(), 4096);
    stalled.Send("connect Stalled pw\ndesc Stalled\ncolor !!!!!!!!!!00 \n");
    const auto dropped = [&] { return server.transcript().find(" dropped: ") != std::string::npos; };
    std::chrono::milliseconds worst{0};
    for (int round = 0; round < 256 && !dropped(); ++round) {
        talker.Send(batch);
        worst = std::max(worst, UpRoundTrip(observer));
    }
    EXPECT_TRUE(WaitUntil(dropped));
    const std::string transcript = server.transcript();
    EXPECT_EQ(transcript.find(" dropped: "), transcript.rfind(" dropped: "));  // one line
    EXPECT_LT(worst, 1000ms);
}

TEST_F(ServerLoadTest, ABurstOfConnectAndCloseStallsNobody) {
    ServerProcess& server = Start({"--bots", "0"});
    LineClient player(server.port());
    player.Enter("Player");
    std::atomic<bool> burstDone{false};
    std::thread burst([&] {
        for (int i = 0; i < 300; ++i) RawSocket(server.port());  // connects, then closes at once
        burstDone = true;
    });
    std::chrono::milliseconds worst{0};
    while (!burstDone) worst = std::max(worst, UpRoundTrip(player));
    burst.join();
    EXPECT_LT(worst, 1000ms);
    // Refusals that could not be delivered left no reports.
    LineClient late(server.port());
    EXPECT_NE(late.WaitForPrefix("END"), "<none>");
    EXPECT_EQ(ReadTextFile(std::filesystem::absolute("game-server") / "_error.txt").find("Attempt"),
              std::string::npos);
}

TEST_F(ServerLoadTest, ConnectionsThatNeverLogInAreClosedAtTheLimit) {
    ServerProcess& server = Start({"--bots", "0", "--login-limit", "1"});
    std::vector<std::unique_ptr<RawSocket>> silent;
    for (int i = 0; i < 64; ++i) silent.push_back(std::make_unique<RawSocket>(server.port()));
    for (auto& connection : silent) EXPECT_TRUE(connection->ClosedByPeerWithin(10000ms));
    EXPECT_EQ(silent.front()->received().find("The server is full."), std::string::npos);
    LineClient newcomer(server.port());
    EXPECT_FALSE(newcomer.Enter("Newcomer").empty());
}

TEST_F(ServerLoadTest, TheFileServerRefusesALineWithoutEnd) {
    ServerProcess files(std::filesystem::absolute("file-server"), "file", {});
    ASSERT_TRUE(files.started()) << files.stderrText();
    RawSocket client(files.port());
    std::thread flood([&] { client.Send(std::string(10u << 20, 'a')); });  // 10 MiB, no line feed
    EXPECT_TRUE(client.ClosedByPeerWithin(10000ms));
    flood.join();
    EXPECT_NE(client.received().find("45 bad request\n"), std::string::npos) << client.received();
}

}  // namespace
