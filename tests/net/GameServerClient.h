// A line-reading client of the stand-in game server, a small test world and a fixture starting the server.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ServerProcess.h"
#include "net/NetClient.h"
#include "runtime/ProcessState.h"

using namespace std::chrono_literals;

class LineClient {
public:
    explicit LineClient(int port) { m_client.Connect("127.0.0.1", port); }
    void Send(const std::string& bytes) { m_client.SendData(bytes.data(), static_cast<int>(bytes.size())); }
    const std::string& received() {
        std::vector<std::uint8_t> bytes;
        if (m_client.BufferedBytes() != 0 && m_client.ReceiveData(bytes)) {
            m_received.append(bytes.begin(), bytes.end());
            m_pending.append(bytes.begin(), bytes.end());
        }
        return m_received;
    }
    // The next accepted line, consuming those before it; "<none>" when none came in time.
    template <class Predicate>
    std::string WaitFor(Predicate accept) {
        std::string found = "<none>";
        WaitUntil(
            [&] {
                received();
                for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
                    std::string line = m_pending.substr(0, end);
                    m_pending.erase(0, end + 1);
                    if (accept(line)) return found = line, true;
                }
                return false;
            },
            5000ms);
        return found;
    }
    std::string WaitForPrefix(const std::string& prefix) {
        return WaitFor([&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }
    // Logs in; the world's lines up to the welcome text.
    std::vector<std::string> Enter(const std::string& name, const std::string& colors = "!!!!!!!!!!") {
        WaitForPrefix("END");
        Send("connect " + name + " secret\n");
        WaitForPrefix("&&&");
        Send("desc " + name + " the tester\ncolor " + colors + "00 \n");
        std::vector<std::string> lines;
        WaitFor(
            [&](const std::string& line) { return lines.push_back(line), line.rfind("(Welcome", 0) == 0; });
        return lines;
    }

private:
    NetClient m_client;
    std::string m_received, m_pending;
};

// A 2 x 4 map. From the start (1,1): "m 9" leads to the dream on (1,0), "m 7" to deep water on (0,0),
// "m 1" to a pillar on (0,2), "m 3" to (1,2) behind a wall. From (1,0) "m 7" leads off the map.
inline std::string SmallMap() {
    std::string map = "MAP V01.10 Velmoria\nheight=4\nwidth=2\nBODY\n";
    const auto put16 = [&](int value) {
        map.push_back(static_cast<char>(value & 255));
        map.push_back(static_cast<char>(value >> 8));
    };
    for (int floor : {1, 0, 0, 0, 0, 0, 0, 0}) put16(floor);    // x 0 rows 0..3, then x 1
    for (int object : {0, 0, 1, 0, 0, 0, 0, 0}) put16(object);  // the pillar on (0, 2)
    map +=
        std::string(8, '\0') + std::string(2, '\0') + '\1' + std::string(5, '\0');  // x 1: wallLowX of (1,2)
    return map;
}

inline std::filesystem::path SmallWorld() {
    const std::filesystem::path dir = std::filesystem::absolute("small-world");
    WriteTextFile(dir / "maps" / "small.map", SmallMap());
    WriteTextFile(dir / "server" / "world.txt",
                  "# a test world\ngreeting Hello tester\npalette test.pcx\nmap maps\\small.map\nstart 1 1\n"
                  "floor 0 grass\nfloor 1 blocked deep water\nobject 1 solid a pillar\n"
                  "dream 1 0 dream-one Dream One\nbot Pip !!!!!!!!!!\nsay Hi\n");
    return dir;
}
class GameServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        NetClient::SetPolling({2ms, 5ms});
    }
    void TearDown() override {
        m_server.reset();
        ResetProcessState();
    }
    ServerProcess& Start(std::vector<std::string> args, const std::filesystem::path& world = SmallWorld()) {
        args.insert(args.begin(), {"--world", world.string()});
        m_server.reset();
        m_server = std::make_unique<ServerProcess>(std::filesystem::absolute("game-server"), "game",
                                                   std::move(args));
        EXPECT_TRUE(m_server->started()) << m_server->stderrText();
        return *m_server;
    }
    std::unique_ptr<ServerProcess> m_server;
};
