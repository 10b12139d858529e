// The stand-in file server, built on NetServer: one polling loop advances every session's exchange.
#include "FileServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <list>
#include <thread>

#include "net/NetClient.h"
#include "net/NetServer.h"
#include "platform/NativePath.h"
#include "runtime/MemoryTracker.h"

namespace {
std::atomic<bool> gStopRequested{false};

void RequestStop(int) {
    gStopRequested = true;
}

enum class Fault {
    kNone,
    kCloseMid,
    kCloseAfterLast,
    kRepeatBlock,
    kWrongMarker,
    kDrip,
    kGarbageWelcome,
    kSplitWelcome,
    kSilent
};

struct Options {
    std::string root = "dreams";
    int port = 7001;
    std::string portFile;
    std::string logFile;
    int blockSize = 4096;
    int window = 8;
    Fault fault = Fault::kNone;
    bool once = false;
};

struct Session {
    int number = 0;
    NetClient* client = nullptr;  // owned (tracked)
    enum { kAwaitingRequest, kSending, kFinished } state = kAwaitingRequest;
    std::string lineBuffer;
    std::vector<std::uint8_t> file;
    std::uint32_t blockCount = 0;
    std::uint32_t nextToSend = 0;
    std::uint32_t acknowledged = 0;
    bool acknowledgementsGood = true;
    bool byeReceived = false;
    std::chrono::steady_clock::time_point splitDue{};  // when the second half of a split welcome goes
    bool splitPending = false;
};

class FileServer {
public:
    explicit FileServer(Options options) : m_options(std::move(options)) {}
    int Run();

private:
    void Log(const std::string& text);
    void Send(Session& session, const std::string& bytes);
    void SendRaw(Session& session, const std::uint8_t* bytes, std::size_t count);
    void Start(Session& session);
    void Advance(Session& session);
    void HandleLine(Session& session, const std::string& line);
    void HandleRequest(Session& session, const std::vector<std::string>& words);
    void SendBlocks(Session& session);
    void SendBlock(Session& session, std::uint32_t index);
    void Close(Session& session, const char* why);

    Options m_options;
    std::list<Session> m_sessions;
    int m_sessionCount = 0;
    int m_exitStatus = 1;
    bool m_done = false;
};

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\n' || c == '\r') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

bool SafeId(const std::string& id) {
    if (id.empty() || id.find("..") != std::string::npos) return false;
    for (unsigned char c : id) {
        if (c < 32 || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) return false;
    std::uint8_t chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(file);
    return true;
}

void FileServer::Log(const std::string& text) {
    if (m_options.logFile.empty()) return;
    if (std::FILE* file = std::fopen(m_options.logFile.c_str(), "ab")) {
        std::fputs((text + "\n").c_str(), file);
        std::fclose(file);
    }
}

void FileServer::SendRaw(Session& session, const std::uint8_t* bytes, std::size_t count) {
    if (!session.client->IsConnected() || count == 0) return;
    if (m_options.fault != Fault::kDrip) {
        session.client->SendData(bytes, static_cast<int>(count));
        return;
    }
    for (std::size_t i = 0; i < count && session.client->IsConnected(); ++i) {
        session.client->SendData(bytes + i, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void FileServer::Send(Session& session, const std::string& bytes) {
    SendRaw(session, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void FileServer::Start(Session& session) {
    Log("session " + std::to_string(session.number) + " accepted");
    switch (m_options.fault) {
    case Fault::kSilent: break;
    case Fault::kGarbageWelcome: Send(session, "HELLO THERE\n"); break;
    case Fault::kSplitWelcome:
        Send(session, "10 welc");
        session.splitPending = true;
        session.splitDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        break;
    default: Send(session, "10 welcome to the dream file server\n"); break;
    }
}

void FileServer::Close(Session& session, const char* why) {
    if (session.state == Session::kFinished) return;
    session.client->Disconnect();
    session.state = Session::kFinished;
    const bool good =
        session.byeReceived && session.acknowledgementsGood && session.blockCount == session.acknowledged;
    Log("session " + std::to_string(session.number) + " closed: " + why +
        (good ? " (complete)" : " (incomplete)"));
    if (m_options.once) {
        m_exitStatus = good ? 0 : 1;
        m_done = true;
    }
}

void FileServer::HandleRequest(Session& session, const std::vector<std::string>& words) {
    if (words.size() < 4 || words[0] != "RC") {
        Log("error: expected a request, got " + (words.empty() ? std::string("an empty line") : words[0]));
        Send(session, "45 bad request\n");
        Close(session, "bad request");
        return;
    }
    const std::string& id = words[3];
    std::vector<std::uint8_t> bytes;
    if (!SafeId(id) || !(ReadWholeFile(m_options.root + "/" + id, bytes) ||
                         ReadWholeFile(m_options.root + "/" + id + ".dream", bytes))) {
        Log("error: no such file " + id);
        Send(session, "45 no such file\n");
        Close(session, "no such file");
        return;
    }
    Log("request " + id + " by " + words[1]);
    session.file = std::move(bytes);
    const std::size_t payload = static_cast<std::size_t>(m_options.blockSize - 10);
    session.blockCount = static_cast<std::uint32_t>((session.file.size() + payload - 1) / payload);
    Send(session,
         "44 " + std::to_string(session.file.size()) + " 0 " + std::to_string(m_options.blockSize) + "\n");
    session.state = Session::kSending;
    if (session.blockCount == 0) Log("empty file: no blocks");
}

void FileServer::HandleLine(Session& session, const std::string& line) {
    const std::vector<std::string> words = Words(line);
    Log("received: " + line.substr(0, line.size() - (line.empty() || line.back() != '\n' ? 0 : 1)));
    if (session.state == Session::kAwaitingRequest) {
        HandleRequest(session, words);
        return;
    }
    if (!words.empty() && words[0] == "PKOK") {
        const long number = words.size() > 1 ? std::strtol(words[1].c_str(), nullptr, 10) : -1;
        if (number != static_cast<long>(session.acknowledged) || session.acknowledged >= session.nextToSend) {
            Log("error: PKOK " + (words.size() > 1 ? words[1] : std::string("without number")) +
                ", expected " + std::to_string(session.acknowledged));
            session.acknowledgementsGood = false;
        }
        ++session.acknowledged;
    } else if (!words.empty() && words[0] == "BYE") {
        session.byeReceived = true;
        Close(session, "bye");
    } else {
        Log("error: unexpected line");
        session.acknowledgementsGood = false;
    }
}

void FileServer::SendBlock(Session& session, std::uint32_t index) {
    const std::size_t size = static_cast<std::size_t>(m_options.blockSize);
    std::vector<std::uint8_t> block(size, 0);
    block[0] = 'S';
    block[1] = 'C';
    if (m_options.fault == Fault::kWrongMarker &&
        index == std::min<std::uint32_t>(1, session.blockCount - 1)) {
        block[0] = 'X';
        block[1] = 'X';
    }
    std::uint32_t number = index;
    if (m_options.fault == Fault::kRepeatBlock && index == session.blockCount - 1) {
        number = index > 0 ? index - 1 : 0;  // the last block's place holds an earlier block again
    }
    for (int i = 0; i < 4; ++i) {
        block[2 + i] = static_cast<std::uint8_t>(number >> (8 * i));
        block[6 + i] = static_cast<std::uint8_t>(session.blockCount >> (8 * i));
    }
    const std::size_t payload = size - 10;
    const std::size_t start = static_cast<std::size_t>(number) * payload;
    const std::size_t length = std::min(payload, session.file.size() - std::min(start, session.file.size()));
    std::copy_n(session.file.begin() + static_cast<std::ptrdiff_t>(start), length, block.begin() + 10);
    SendRaw(session, block.data(), block.size());
}

void FileServer::SendBlocks(Session& session) {
    while (session.state == Session::kSending && session.nextToSend < session.blockCount &&
           session.nextToSend - session.acknowledged < static_cast<std::uint32_t>(m_options.window)) {
        SendBlock(session, session.nextToSend);
        ++session.nextToSend;
        const bool half = session.nextToSend == std::max<std::uint32_t>(1, session.blockCount / 2);
        if (m_options.fault == Fault::kCloseMid && half) Close(session, "closed in the middle");
        if (m_options.fault == Fault::kCloseAfterLast && session.nextToSend == session.blockCount) {
            Close(session, "closed after the last block");
        }
    }
}

void FileServer::Advance(Session& session) {
    if (session.state == Session::kFinished) return;
    if (session.splitPending && std::chrono::steady_clock::now() >= session.splitDue) {
        session.splitPending = false;
        Send(session, "ome to the dream file server\n");
    }
    std::vector<std::uint8_t> bytes;
    if (session.client->BufferedBytes() != 0 && session.client->ReceiveData(bytes)) {
        session.lineBuffer.append(bytes.begin(), bytes.end());
    }
    for (std::size_t end;
         session.state != Session::kFinished && (end = session.lineBuffer.find('\n')) != std::string::npos;) {
        const std::string line = session.lineBuffer.substr(0, end + 1);
        session.lineBuffer.erase(0, end + 1);
        HandleLine(session, line);
    }
    SendBlocks(session);
    if (session.state != Session::kFinished && !session.client->IsConnected() &&
        session.client->BufferedBytes() == 0) {
        Close(session, "the client closed");
    }
}

int FileServer::Run() {
    NetServer server;
    if (!server.Listen(m_options.port)) {
        std::fprintf(stderr, "velm-server: cannot listen on port %d\n", m_options.port);
        return 3;
    }
    const int port = server.Port();
    if (!m_options.portFile.empty()) {
        const std::string temporary = m_options.portFile + ".tmp";
        if (std::FILE* file = std::fopen(temporary.c_str(), "wb")) {
            std::fprintf(file, "%d\n", port);
            std::fclose(file);
            std::rename(temporary.c_str(), m_options.portFile.c_str());
        }
    }
    std::printf("velm-server file: listening on port %d\n", port);
    std::fflush(stdout);
    Log("listening on port " + std::to_string(port));

    while (!m_done && !gStopRequested) {
        while (NetClient* client = server.TakeClient()) {
            m_sessions.push_back(Session{});
            m_sessions.back().number = ++m_sessionCount;
            m_sessions.back().client = client;
            Start(m_sessions.back());
        }
        for (Session& session : m_sessions) Advance(session);
        for (auto it = m_sessions.begin(); it != m_sessions.end();) {
            if (it->state == Session::kFinished) {
                trackedDelete(it->client, VELM_SITE);
                it = m_sessions.erase(it);
            } else {
                ++it;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (Session& session : m_sessions) trackedDelete(session.client, VELM_SITE);
    m_sessions.clear();
    return m_options.once ? m_exitStatus : 0;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--once") {
            options.once = true;
        } else if (!hasValue) {
            return false;
        } else if (arg == "--root") {
            options.root = args[++i];
        } else if (arg == "--port") {
            options.port = std::atoi(args[++i].c_str());
        } else if (arg == "--port-file") {
            options.portFile = args[++i];
        } else if (arg == "--log") {
            options.logFile = args[++i];
        } else if (arg == "--block-size") {
            options.blockSize = std::atoi(args[++i].c_str());
        } else if (arg == "--window") {
            options.window = std::atoi(args[++i].c_str());
        } else if (arg == "--fault") {
            const std::string& mode = args[++i];
            if (mode == "close-mid")
                options.fault = Fault::kCloseMid;
            else if (mode == "close-after-last")
                options.fault = Fault::kCloseAfterLast;
            else if (mode == "repeat-block")
                options.fault = Fault::kRepeatBlock;
            else if (mode == "wrong-marker")
                options.fault = Fault::kWrongMarker;
            else if (mode == "drip")
                options.fault = Fault::kDrip;
            else if (mode == "garbage-welcome")
                options.fault = Fault::kGarbageWelcome;
            else if (mode == "split-welcome")
                options.fault = Fault::kSplitWelcome;
            else if (mode == "silent")
                options.fault = Fault::kSilent;
            else
                return false;
        } else {
            return false;
        }
    }
    return options.blockSize > 10 && options.blockSize <= (1 << 20) && options.window >= 1 &&
           options.port >= 0 && options.port <= 65535;
}
}  // namespace

int RunFileServer(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, options)) {
        std::fputs("velm-server file: bad options (see velm-server without arguments)\n", stderr);
        return 2;
    }
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);
    FileServer server(std::move(options));
    return server.Run();
}
