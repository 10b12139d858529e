// NetServer: the listening socket, the accept thread and the queue of accepted connections.
#include "net/NetServer.h"

#include <string>
#include <thread>
#include <vector>

#include "net/NetClient.h"
#include "runtime/CThread.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/NetworkLock.h"

namespace {
constexpr auto kAcceptPause = std::chrono::milliseconds(20);
constexpr auto kIdlePause = std::chrono::milliseconds(100);
constexpr std::size_t kAcceptsPerPass = 256;
}  // namespace

NetServer::NetServer() {
    if (!IsStarted()) return;
    std::lock_guard<std::recursive_mutex> network(networkLock);
    m_socket = CreateStreamSocket();
    if (m_socket == kInvalidSocket) {
        errorLog.Write("Failed to create socket.\n");
        return;
    }
    if (!SetSocketNonBlocking(m_socket)) {
        errorLog.Write("Warning: created server socket refuses to be non-blocking...\n");
    }
    m_thread = track(new CThread(ThreadLoop, "NetServer", this), "CThread(ThreadLoop,\"NetServer\",this)",
                     VELM_SITE);
    m_initialised = true;
}

NetServer::~NetServer() {
    if (m_thread != nullptr) trackedDelete(m_thread, VELM_SITE);
    m_thread = nullptr;
    {
        std::lock_guard<std::recursive_mutex> network(networkLock);
        if (m_socket != kInvalidSocket) {
            ShutdownSocket(m_socket);
            CloseSocket(m_socket);
            m_socket = kInvalidSocket;
        }
        m_listening = false;
        m_initialised = false;
    }
    DestroyAccepted();
}

bool NetServer::Listen(int port) {
    if (!m_initialised) {
        ReportMisuse("Error: Attempt to call net server Listen when not Init'd.\n", kAttemptMadeFrom);
        return false;
    }
    if (m_listening) {
        ReportMisuse("Error: Attempt to make server listen, when it's already listening.\n",
                     kAttemptMadeFrom);
        return false;
    }
    std::lock_guard<std::recursive_mutex> network(networkLock);
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    if (!BindSocketAnyAddress(m_socket, port)) {
        errorLog.Write("Failed to bind server socket to port " +
                       std::to_string(static_cast<std::uint16_t>(port)) + "\n");
    }
    if (ListenOnSocket(m_socket)) {
        m_listening = true;
        return true;
    }
    errorLog.Write("Server socket refused to listen.");
    return false;
}

int NetServer::Port() const {
    if (!m_initialised) return 0;
    std::lock_guard<std::recursive_mutex> network(networkLock);
    return m_socket == kInvalidSocket ? 0 : LocalPortOfSocket(m_socket);
}

NetClient* NetServer::TakeClient() {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    if (m_accepted.empty()) return nullptr;
    NetClient* client = m_accepted.front();
    m_accepted.pop_front();
    return client;
}

void NetServer::StopListening() {
    if (!m_listening) return;
    {
        std::lock_guard<std::recursive_mutex> network(networkLock);
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        if (m_socket != kInvalidSocket) ShutdownSocket(m_socket);
        m_listening = false;
    }
    DestroyAccepted();
}

// Destroys the connections nobody took. Each destruction waits for its receive thread, which needs the
// network lock, so no lock is held while deleting.
void NetServer::DestroyAccepted() {
    for (NetClient* client = TakeClient(); client != nullptr; client = TakeClient()) {
        trackedDelete(client, VELM_SITE);
    }
}

void NetServer::ThreadLoop(CThread* owner, void* parameter) {
    auto* server = static_cast<NetServer*>(parameter);
    while (!owner->terminateRequested) {
        while (!server->m_listening && !owner->terminateRequested) std::this_thread::sleep_for(kIdlePause);
        if (owner->terminateRequested) break;
        server->AcceptPass();
        std::this_thread::sleep_for(kAcceptPause);
    }
}

// Takes every connection waiting (up to a bound per pass), so that a burst of connections is accepted
// at the pace it arrives rather than one per pause. The sockets are taken under the network lock; their
// clients, each with a thread of its own, are made after it, so that the other connections' receive
// threads are not held up meanwhile.
void NetServer::AcceptPass() {
    std::vector<SocketHandle> taken;
    {
        std::lock_guard<std::recursive_mutex> network(networkLock);
        while (m_listening && taken.size() < kAcceptsPerPass) {
            const SocketHandle accepted = AcceptOnSocket(m_socket);
            if (accepted == kInvalidSocket) break;
            taken.push_back(accepted);
        }
    }
    for (const SocketHandle accepted : taken) {
        NetClient* client = track(new NetClient(accepted), "NET::Client(s)", VELM_SITE);
        if (!client->IsConnected()) {
            errorLog.Write(
                "Net::Client rejected socket from a connection to server... ignoring connection attempt.\n");
            trackedDelete(client, VELM_SITE);  // it closes the socket it was given
            continue;
        }
        {
            std::lock_guard<std::recursive_mutex> hold(m_lock);
            if (m_listening) {
                m_accepted.push_back(client);
                continue;
            }
        }
        trackedDelete(client, VELM_SITE);  // the server stopped listening meanwhile
    }
}
