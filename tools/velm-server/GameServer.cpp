// The game server's socket loop: accepts connections on NetServer, feeds their bytes to the GameRoom,
// sends what it answers, and writes the transcript.
#include "GameServer.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "GameRoom.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "runtime/MemoryTracker.h"

namespace {

std::atomic<bool> gStopRequested{false};

void RequestStop(int) {
    gStopRequested = true;
}

constexpr int kSessionLimit = 64;
constexpr std::size_t kTranscriptPiece = 4096;  // a received line longer than this is logged in pieces

struct Options {
    std::string world = "game";
    int port = 7000;
    std::string portFile;
    std::string logFile;
    std::string accountsFile;
    bool once = false;
    RoomOptions room;
};

// The transcript: one line per protocol line, "N> " for bytes sent to session N and "N< " for bytes
// received from it; bytes outside 32..126 and the backslash are written as \xHH (a line feed as \x0a),
// so the bytes on the wire can be read back exactly.
class Transcript {
public:
    explicit Transcript(std::string path) : m_path(std::move(path)) {
        if (!m_path.empty()) std::ofstream(m_path, std::ios::trunc);
    }
    void Note(const std::string& text) { Write(text + "\n"); }
    void Sent(int session, const std::string& bytes) {
        for (std::size_t start = 0; start < bytes.size();) {
            std::size_t end = bytes.find('\n', start);
            end = end == std::string::npos ? bytes.size() : end + 1;
            Write(Line(session, '>', bytes.substr(start, end - start)));
            start = end;
        }
    }
    void Received(int session, const std::uint8_t* bytes, std::size_t count) {
        std::string& pending = m_pending[session];
        for (std::size_t i = 0; i < count; ++i) {
            pending += static_cast<char>(bytes[i]);
            if (bytes[i] == '\n' || pending.size() >= kTranscriptPiece) {
                Write(Line(session, '<', pending));
                pending.clear();
            }
        }
    }
    void Closed(int session, const char* how) {
        if (!m_pending[session].empty()) Write(Line(session, '<', m_pending[session]));
        m_pending.erase(session);
        Note(std::to_string(session) + " closed " + how);
    }

private:
    static std::string Line(int session, char direction, const std::string& bytes) {
        std::string line = std::to_string(session) + direction + " ";
        for (unsigned char c : bytes) {
            if (c >= 32 && c <= 126 && c != '\\') {
                line += static_cast<char>(c);
            } else {
                static const char kHex[] = "0123456789abcdef";
                line += "\\x";
                line += kHex[c >> 4];
                line += kHex[c & 15];
            }
        }
        return line + "\n";
    }
    void Write(const std::string& text) {
        if (m_path.empty()) return;
        if (std::FILE* file = std::fopen(m_path.c_str(), "ab")) {
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
        }
    }
    std::string m_path;
    std::map<int, std::string> m_pending;
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
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--once") {
            options.once = true;
            continue;
        }
        if (i + 1 >= args.size()) return false;
        const std::string& value = args[++i];
        if (arg == "--world") {
            options.world = value;
        } else if (arg == "--port") {
            options.port = std::atoi(value.c_str());
        } else if (arg == "--port-file") {
            options.portFile = value;
        } else if (arg == "--log") {
            options.logFile = value;
        } else if (arg == "--accounts") {
            options.accountsFile = value;
        } else if (arg == "--bots") {
            options.room.bots = std::atoi(value.c_str());
        } else if (arg == "--fault") {
            if (!ParseFault(value, options.room.fault)) return false;
        } else {
            return false;
        }
    }
    return options.port >= 0 && options.port <= 65535 && options.room.bots >= 0 && options.room.bots <= 100;
}

void WritePortFile(const std::string& path, int port) {
    if (path.empty()) return;
    const std::string temporary = path + ".tmp";
    if (std::FILE* file = std::fopen(temporary.c_str(), "wb")) {
        std::fprintf(file, "%d\n", port);
        std::fclose(file);
        std::rename(temporary.c_str(), path.c_str());
    }
}

int Serve(const Options& options, const GameWorld& world) {
    NetServer server;
    if (!server.Listen(options.port)) {
        std::fprintf(stderr, "velm-server game: cannot listen on port %d\n", options.port);
        return 3;
    }
    Transcript transcript(options.logFile);
    std::map<int, NetClient*> clients;  // owned (tracked)
    std::set<int> closing;              // sessions the room has ended
    GameRoom room(
        world, options.room,
        [&](int session, const std::string& bytes) {
            const auto found = clients.find(session);
            if (found == clients.end() || !found->second->IsConnected() || bytes.empty()) return;
            transcript.Sent(session, bytes);
            found->second->SendData(bytes.data(), static_cast<int>(bytes.size()));
        },
        [&](int session) { closing.insert(session); });

    const int port = server.Port();
    WritePortFile(options.portFile, port);
    std::printf("port %d\n", port);
    std::fflush(stdout);
    transcript.Note("listening on port " + std::to_string(port));

    int sessionCount = 0;
    bool firstEnded = false;
    while (!gStopRequested && !(options.once && firstEnded)) {
        const GameClock::time_point now = GameClock::now();
        while (NetClient* client = server.TakeClient()) {
            const int session = ++sessionCount;
            if (clients.size() >= static_cast<std::size_t>(kSessionLimit)) {
                const std::string full = "The server is full.\n";
                client->SendData(full.data(), static_cast<int>(full.size()));
                trackedDelete(client, VELM_SITE);
                transcript.Note(std::to_string(session) + " refused: the server is full");
                continue;
            }
            clients[session] = client;
            transcript.Note(std::to_string(session) + " accepted");
            room.Open(session, now);
        }
        for (auto& [session, client] : clients) {
            std::vector<std::uint8_t> bytes;
            if (client->BufferedBytes() != 0 && client->ReceiveData(bytes)) {
                transcript.Received(session, bytes.data(), bytes.size());
                room.Receive(session, bytes.data(), bytes.size(), now);
            }
        }
        room.Tick(now);
        for (auto it = clients.begin(); it != clients.end();) {
            const bool ended = closing.count(it->first) != 0;
            if (!ended && (it->second->IsConnected() || it->second->BufferedBytes() != 0)) {
                ++it;
                continue;
            }
            transcript.Closed(it->first, ended ? "by the server" : "by the client");
            room.Gone(it->first);
            closing.erase(it->first);
            it->second->Disconnect();
            trackedDelete(it->second, VELM_SITE);
            it = clients.erase(it);
            firstEnded = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (auto& [session, client] : clients) {
        transcript.Closed(session, "at shutdown");
        trackedDelete(client, VELM_SITE);
    }
    return 0;
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
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);
    return Serve(options, world);
}
