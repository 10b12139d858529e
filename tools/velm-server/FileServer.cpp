// The stand-in file server's socket loop, built on NetServer: each connection's bytes go to its
// FileSession, and one polling loop advances every session.
#include "FileServer.h"

#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <thread>

#include "BoundedLog.h"
#include "ConnectionReaper.h"
#include "FileSession.h"
#include "ServerCommon.h"
#include "net/NetClient.h"
#include "net/NetServer.h"

namespace {

struct Options {
    CommonServerOptions common;
    FileServeOptions serve;
};

bool ParseFault(const std::string& mode, FileFault& fault) {
    static const std::map<std::string, FileFault> kModes = {{"close-mid", FileFault::kCloseMid},
                                                            {"close-after-last", FileFault::kCloseAfterLast},
                                                            {"repeat-block", FileFault::kRepeatBlock},
                                                            {"wrong-marker", FileFault::kWrongMarker},
                                                            {"drip", FileFault::kDrip},
                                                            {"garbage-welcome", FileFault::kGarbageWelcome},
                                                            {"split-welcome", FileFault::kSplitWelcome},
                                                            {"silent", FileFault::kSilent}};
    const auto found = kModes.find(mode);
    if (found == kModes.end()) return false;
    fault = found->second;
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options) {
    options.common.port = 7001;
    FileServeOptions& serve = options.serve;
    return ParseServerOptions(
        args, options.common,
        {{"--root", [&](const std::string& v) { return serve.root = v, true; }},
         {"--block-size", [&](const std::string& v) { return ParseNumber(v, 11, 1 << 20, serve.blockSize); }},
         {"--window", [&](const std::string& v) { return ParseNumber(v, 1, 1 << 20, serve.window); }},
         {"--fault", [&](const std::string& v) { return ParseFault(v, serve.fault); }}});
}

struct Connection {
    NetClient* client = nullptr;  // owned (tracked) until released to the reaper
    std::unique_ptr<FileSession> session;
};

class FileServer {
public:
    explicit FileServer(Options options) : m_options(std::move(options)), m_log(m_options.common.logFile) {}
    int Run();

private:
    void Log(const std::string& text) { m_log.Write(text + "\n"); }
    void Send(NetClient& client, const std::uint8_t* bytes, std::size_t count);
    void Advance(Connection& connection, FileClock::time_point now);

    Options m_options;
    BoundedLog m_log;
    ConnectionReaper m_reaper;
    std::list<Connection> m_connections;
    int m_sessionCount = 0;
    int m_exitStatus = 1;
    bool m_done = false;
};

void FileServer::Send(NetClient& client, const std::uint8_t* bytes, std::size_t count) {
    if (!client.IsConnected() || count == 0) return;
    if (m_options.serve.fault != FileFault::kDrip) {
        client.SendData(bytes, static_cast<int>(count));
        return;
    }
    for (std::size_t i = 0; i < count && client.IsConnected(); ++i) {
        client.SendData(bytes + i, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void FileServer::Advance(Connection& connection, FileClock::time_point now) {
    FileSession& session = *connection.session;
    std::vector<std::uint8_t> bytes;
    if (!session.Finished() && connection.client->BufferedBytes() != 0 &&
        connection.client->ReceiveData(bytes)) {
        session.Receive(bytes.data(), bytes.size());
    }
    if (!session.Finished()) session.Advance(now);
    if (!session.Finished() && !connection.client->IsConnected() && connection.client->BufferedBytes() == 0) {
        session.ClientClosed();
    }
    if (session.Finished() && m_options.common.once) {
        m_exitStatus = session.Complete() ? 0 : 1;
        m_done = true;
    }
}

int FileServer::Run() {
    NetServer server;
    if (!server.Listen(m_options.common.port)) {
        std::fprintf(stderr, "velm-server: cannot listen on port %d\n", m_options.common.port);
        return 3;
    }
    const int port = server.Port();
    WritePortFile(m_options.common.portFile, port);
    std::printf("velm-server file: listening on port %d\n", port);
    std::fflush(stdout);
    Log("listening on port " + std::to_string(port));

    while (!m_done && !StopRequested()) {
        const FileClock::time_point now = FileClock::now();
        while (NetClient* client = server.TakeClient()) {
            Connection& connection = m_connections.emplace_back();
            connection.client = client;
            connection.session = std::make_unique<FileSession>(
                ++m_sessionCount, m_options.serve,
                [this, client](const std::uint8_t* bytes, std::size_t count) { Send(*client, bytes, count); },
                [this](const std::string& line) { Log(line); });
            connection.session->Start(now);
        }
        for (Connection& connection : m_connections) Advance(connection, now);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (!it->session->Finished()) {
                ++it;
                continue;
            }
            m_reaper.Release(it->client);
            it = m_connections.erase(it);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (Connection& connection : m_connections) m_reaper.Release(connection.client);
    m_connections.clear();
    return m_options.common.once ? m_exitStatus : 0;
}
}  // namespace

int RunFileServer(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, options)) {
        std::fputs("velm-server file: bad options (see velm-server without arguments)\n", stderr);
        return 2;
    }
    InstallStopHandlers();
    FileServer server(std::move(options));
    return server.Run();
}
