// The game server's socket loop: accepts connections on NetServer, feeds their bytes to the GameRoom,
// queues what it answers and sends it without ever waiting on one client, and writes the transcript.
#include "GameServer.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "ConnectionReaper.h"
#include "GameRoom.h"
#include "ServerCommon.h"
#include "Transcript.h"
#include "net/NetClient.h"
#include "net/NetServer.h"

namespace {

constexpr int kSessionLimit = 64;
constexpr std::size_t kQueueLimit = 1u << 20;  // bytes waiting for one client before it is dropped
constexpr std::size_t kSendPiece = 64u << 10;  // bytes offered to a socket in one call
constexpr const char* kFull = "The server is full.\n";

struct Options {
    std::string world = "game";
    CommonServerOptions common;
    std::string accountsFile;
    RoomOptions room;
};

bool ReadAccounts(const std::string& path, std::map<std::string, std::string>& accounts) {
    std::ifstream in(path);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t blank = line.find(' ');
        accounts[line.substr(0, blank)] = blank == std::string::npos ? "" : line.substr(blank + 1);
    }
    return true;
}

bool ParseFault(const std::string& mode, GameFault& fault) {
    static const std::map<std::string, GameFault> kModes = {
        {"split-greeting", GameFault::kSplitGreeting},
        {"no-end", GameFault::kNoEnd},
        {"refuse-login", GameFault::kRefuseLogin},
        {"endless-line", GameFault::kEndlessLine},
        {"garbage", GameFault::kGarbage},
        {"close-after-login", GameFault::kCloseAfterLogin}};
    const auto found = kModes.find(mode);
    if (found == kModes.end()) return false;
    fault = found->second;
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
    options.common.port = 7000;
    int loginSeconds = 30;
    const bool parsed = ParseServerOptions(
        args, options.common,
        {{"--world", [&](const std::string& v) { return options.world = v, true; }},
         {"--accounts", [&](const std::string& v) { return options.accountsFile = v, true; }},
         {"--bots", [&](const std::string& v) { return ParseNumber(v, 0, 100, options.room.bots); }},
         {"--login-limit", [&](const std::string& v) { return ParseNumber(v, 1, 86400, loginSeconds); }},
         {"--fault", [&](const std::string& v) { return ParseFault(v, options.room.fault); }}});
    options.room.loginLimit = std::chrono::seconds(loginSeconds);
    return parsed;
}

// One client's connection and the bytes that wait for its socket to take them.
struct Connection {
    NetClient* client = nullptr;  // owned (tracked) until released to the reaper
    std::string outgoing;
    std::string endReason;    // set once the server has decided to end the session
    bool flushFirst = false;  // the queued bytes go out before the connection is closed
};

class GameServerLoop {
public:
    GameServerLoop(const Options& options, const GameWorld& world)
        : m_options(options),
          m_transcript(options.common.logFile),
          m_room(
              world, options.room, [this](int session, const std::string& bytes) { Queue(session, bytes); },
              [this](int session) { End(session, "by the server", true); }) {}

    int Run();

private:
    void Queue(int session, const std::string& bytes);
    void End(int session, const std::string& reason, bool flushFirst);
    void Accept(GameClock::time_point now);
    void Refuse(NetClient* client, int session);
    void Flush(Connection& connection);
    void Release(bool& firstEnded);

    const Options& m_options;
    Transcript m_transcript;
    ConnectionReaper m_reaper;  // ends connections after the room, before the transcript goes
    GameRoom m_room;
    std::map<int, Connection> m_connections;
    int m_sessionCount = 0;
    int m_undeliveredRefusals = 0;  // "server is full" lines whose client had already gone
};

void GameServerLoop::Queue(int session, const std::string& bytes) {
    const auto found = m_connections.find(session);
    if (found == m_connections.end() || !found->second.endReason.empty() || bytes.empty()) return;
    Connection& connection = found->second;
    m_transcript.Sent(session, bytes);
    connection.outgoing += bytes;
    if (connection.outgoing.size() > kQueueLimit) {
        m_transcript.Note(std::to_string(session) + " dropped: more than " + std::to_string(kQueueLimit) +
                          " bytes waited to be sent; the client is not reading");
        End(session, "by the server (not reading)", false);
    }
}

void GameServerLoop::End(int session, const std::string& reason, bool flushFirst) {
    const auto found = m_connections.find(session);
    if (found == m_connections.end() || !found->second.endReason.empty()) return;
    found->second.endReason = reason;
    found->second.flushFirst = flushFirst;
}

// The refusal is offered once without waiting; a client that has already gone is only counted.
void GameServerLoop::Refuse(NetClient* client, int session) {
    const int length = static_cast<int>(std::char_traits<char>::length(kFull));
    if (client->IsConnected() && client->SendWithoutWaiting(kFull, length) == length) {
        m_transcript.Note(std::to_string(session) + " refused: the server is full");
    } else {
        ++m_undeliveredRefusals;
    }
    m_reaper.Release(client);
}

void GameServerLoop::Flush(Connection& connection) {
    std::size_t sent = 0;
    while (sent < connection.outgoing.size()) {
        const std::size_t piece = std::min(kSendPiece, connection.outgoing.size() - sent);
        const int taken =
            connection.client->SendWithoutWaiting(connection.outgoing.data() + sent, static_cast<int>(piece));
        if (taken <= 0) break;
        sent += static_cast<std::size_t>(taken);
    }
    connection.outgoing.erase(0, sent);
}

int GameServerLoop::Run() {
    NetServer server;
    if (!server.Listen(m_options.common.port)) {
        std::fprintf(stderr, "velm-server game: cannot listen on port %d\n", m_options.common.port);
        return 3;
    }
    const int port = server.Port();
    WritePortFile(m_options.common.portFile, port);
    std::printf("port %d\n", port);
    std::fflush(stdout);
    m_transcript.Note("listening on port " + std::to_string(port));

    bool firstEnded = false;
    while (!StopRequested() && !(m_options.common.once && firstEnded)) {
        const GameClock::time_point now = GameClock::now();
        while (NetClient* client = server.TakeClient()) {
            const int session = ++m_sessionCount;
            if (m_connections.size() >= static_cast<std::size_t>(kSessionLimit)) {
                Refuse(client, session);
                continue;
            }
            m_connections[session].client = client;
            m_transcript.Note(std::to_string(session) + " accepted");
            m_room.Open(session, now);
        }
        for (auto& [session, connection] : m_connections) {
            std::vector<std::uint8_t> bytes;
            if (connection.endReason.empty() && connection.client->BufferedBytes() != 0 &&
                connection.client->ReceiveData(bytes)) {
                m_transcript.Received(session, bytes.data(), bytes.size());
                m_room.Receive(session, bytes.data(), bytes.size(), now);
            }
        }
        m_room.Tick(now);
        for (auto& [session, connection] : m_connections) Flush(connection);
        Release(firstEnded);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (auto& [session, connection] : m_connections) {
        m_transcript.Closed(session, "at shutdown");
        m_reaper.Release(connection.client);
    }
    m_connections.clear();
    if (m_undeliveredRefusals > 0) {
        m_transcript.Note(std::to_string(m_undeliveredRefusals) +
                          " refusals (server full) could not be delivered: the client had gone");
    }
    return 0;
}

// Hands ended sessions to the reaper: those the server ended, once their queue is sent or their client
// has gone, and those whose client closed with nothing left to read.
void GameServerLoop::Release(bool& firstEnded) {
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        Connection& connection = it->second;
        const bool clientGone = !connection.client->IsConnected() && connection.client->BufferedBytes() == 0;
        const bool serverDone =
            !connection.endReason.empty() &&
            (!connection.flushFirst || connection.outgoing.empty() || !connection.client->IsConnected());
        if (!clientGone && !serverDone) {
            ++it;
            continue;
        }
        m_transcript.Closed(it->first, serverDone ? connection.endReason : "by the client");
        m_room.Gone(it->first);
        m_reaper.Release(connection.client);
        it = m_connections.erase(it);
        firstEnded = true;
    }
}

}  // namespace

int RunGameServer(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, options)) {
        std::fputs("velm-server game: bad options (see velm-server without arguments)\n", stderr);
        return 2;
    }
    if (!options.accountsFile.empty()) {
        options.room.checkAccounts = true;
        if (!ReadAccounts(options.accountsFile, options.room.accounts)) {
            std::fprintf(stderr, "velm-server game: cannot read %s\n", options.accountsFile.c_str());
            return 3;
        }
    }
    GameWorld world;
    std::string error;
    if (!LoadGameWorld(options.world, world, error)) {
        std::fprintf(stderr, "velm-server game: %s\n", error.c_str());
        return 3;
    }
    InstallStopHandlers();
    GameServerLoop loop(options, world);
    return loop.Run();
}
