// NetClient: connect, send, the receive thread's polling passes, and the copies of the traffic in netLog.
#include "net/NetClient.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "runtime/CThread.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/NetworkLock.h"
#include "runtime/ProcessState.h"

namespace {
std::atomic<int> gConnectedPauseMs{20};
std::atomic<int> gIdlePauseMs{100};
const bool kPollingRegistered = RegisterProcessState(
    "network polling", [] { NetClient::SetPolling({}); }, kNetState);

constexpr int kReceiveChunk = 4096;

// Four pieces separated by three dots, made only of digits, dots and blanks.
bool IsDottedQuad(const std::string& host) {
    if (host.empty()) return false;
    int dots = 0;
    for (char c : host) {
        if (c == '.') {
            ++dots;
        } else if (!(c >= '0' && c <= '9') && c != ' ') {
            return false;
        }
    }
    return dots == 3;
}

// Each piece as the C library's decimal conversion reads it (leading blanks, digits up to the first
// other character), keeping the low 8 bits.
void ParseDottedQuad(const std::string& host, std::uint8_t address[4]) {
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = host.find('.', start);
        const std::string piece =
            host.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        std::size_t at = 0;
        while (at < piece.size() && piece[at] == ' ') ++at;
        std::uint32_t value = 0;
        for (; at < piece.size() && piece[at] >= '0' && piece[at] <= '9'; ++at) {
            value = value * 10 + static_cast<std::uint32_t>(piece[at] - '0');
        }
        address[i] = static_cast<std::uint8_t>(value & 0xFF);
        start = dot == std::string::npos ? host.size() : dot + 1;
    }
}

// The text of a block up to its first NUL byte.
std::string TextOf(const void* data, std::size_t length) {
    const char* bytes = static_cast<const char*>(data);
    return std::string(bytes, strnlen(bytes, length));
}

// The copy of a sent block in netLog. Lines that carry the player's name and password (the login line
// "connect name password" and the file request "RC name password ...") are masked; so is any block that
// is only the start of "connect ".
void LogSentBlock(const void* data, int length) {
    const char* bytes = static_cast<const char*>(data);
    static constexpr char kLogin[] = "connect ";
    const std::size_t compared = std::min<std::size_t>(static_cast<std::size_t>(length), 8);
    if (std::memcmp(bytes, kLogin, compared) == 0) {
        netLog.Write("{SENT TO SERVER}");
        netLog.Write("connect (NAME/PASS REMOVED FOR SECURITY)\n");
        return;
    }
    if (length >= 3 && std::memcmp(bytes, "RC ", 3) == 0) {
        netLog.Write("{SENT TO SERVER}");
        netLog.Write("RC (NAME/PASS REMOVED FOR SECURITY)\n");
        return;
    }
    netLog.Write("{SENT TO SERVER}");
    netLog.Write(TextOf(data, static_cast<std::size_t>(length)));
}
}  // namespace

void NetClient::SetPolling(Polling polling) {
    gConnectedPauseMs = static_cast<int>(polling.connected.count());
    gIdlePauseMs = static_cast<int>(polling.idle.count());
}

NetClient::NetClient() {
    if (!IsStarted()) return;
    std::lock_guard<std::recursive_mutex> network(networkLock);
    m_socket = CreateStreamSocket();
    if (m_socket == kInvalidSocket) {
        errorLog.Write("Failed to create socket.\n");
        return;
    }
    m_thread = track(new CThread(ThreadProcedure, "NetClient", this),
                     "CThread(ThreadProcedure,\"NetClient\",this)", VELM_SITE);
    m_initialised = true;
}

NetClient::NetClient(SocketHandle socket) : m_socket(socket) {
    // The client owns the socket from here on, started or not: its destructor closes it.
    if (!IsStarted()) return;
    // Both flags are set before the receive thread starts: a peer that has already closed is seen at
    // once, and the thread then disconnects a client that counts as initialised.
    m_initialised = true;
    m_connected = true;
    m_thread = track(new CThread(ThreadProcedure, "NetClient", this),
                     "CThread(ThreadProcedure,\"NetClient\",this)", VELM_SITE);
}

NetClient::~NetClient() {
    if (m_thread != nullptr) trackedDelete(m_thread, VELM_SITE);
    m_thread = nullptr;
    {
        std::lock_guard<std::recursive_mutex> network(networkLock);
        if (m_socket != kInvalidSocket) {
            ShutdownSocket(m_socket);
            CloseSocket(m_socket);
            m_socket = kInvalidSocket;
        }
        m_connected = false;
        m_initialised = false;
    }
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    m_receiveBuffer.clear();
    m_pendingBytes = 0;
}

bool NetClient::Connect(const std::string& host, int port) {
    if (!m_initialised) {
        ReportMisuse("Error: Attempt to call net client Connect when not Init'd.\n", kAttemptMadeFrom);
        return false;
    }
    if (m_connected) {
        ReportMisuse("Error: Attempt to connect to remove server when already connected.\n",
                     kAttemptMadeFrom);
        return false;
    }
    std::lock_guard<std::recursive_mutex> network(networkLock);
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    std::uint8_t address[4] = {0, 0, 0, 0};
    if (IsDottedQuad(host)) {
        ParseDottedQuad(host, address);
    } else if (!ResolveHostIPv4(host.c_str(), address)) {
        errorLog.Write("Unable to resolve host \"" + host + "\" port " + std::to_string(port) + "\n");
        return false;
    }
    if (ConnectSocket(m_socket, address, port)) {
        m_receiveBuffer.clear();
        m_pendingBytes = 0;
        m_connected = true;
        return true;
    }
    const int error = LastSocketError();
    errorLog.Write("Failed to connect to host \"" + host + "\" port " + std::to_string(port) + "\n");
    if (error == kSocketErrorNetworkDown) {
        errorLog.Write("  -no network connection available\n");
    } else if (error == kSocketErrorConnectionRefused) {
        errorLog.Write("  -connection refused by server\n");
    }
    return false;
}

bool NetClient::SendData(const void* data, int length) {
    if (!m_initialised) {
        ReportMisuse("Error: Attempt to call NETCLIENT::SendData when not Init'd.\n", kAttemptMadeFrom);
        return false;
    }
    if (!m_connected) {
        ReportMisuse("Error: Attempt to send data to server when not connected.\n", kAttemptMadeFrom);
        return false;
    }
    if (length < 1 || data == nullptr) return false;
    const char* bytes = static_cast<const char*>(data);
    int remaining = length;
    while (remaining > 0) {
        int sent;
        {
            std::lock_guard<std::recursive_mutex> network(networkLock);
            sent = SendOnSocket(m_socket, bytes, remaining);
        }
        if (sent <= 0) {
            // The peer has gone; what it sent before that is still taken in before the socket is shut.
            std::lock_guard<std::recursive_mutex> network(networkLock);
            std::uint32_t count = 0;
            if (m_connected && ReadableBytes(m_socket, count)) ReadAvailable(count);
            Disconnect();
            return false;
        }
        bytes += sent;
        remaining -= sent;
        AddSent(static_cast<std::uint32_t>(sent));
    }
    LogSentBlock(data, length);
    return true;
}

int NetClient::SendWithoutWaiting(const void* data, int length) {
    if (!m_initialised || !m_connected || data == nullptr || length < 1) return -1;
    std::lock_guard<std::recursive_mutex> network(networkLock);
    const int sent = SendOnSocketWithoutWaiting(m_socket, data, length);
    if (sent < 0) {
        Disconnect();
        return -1;
    }
    if (sent > 0) AddSent(static_cast<std::uint32_t>(sent));
    return sent;
}

bool NetClient::ReceiveData(std::vector<std::uint8_t>& out) {
    if (!m_initialised) {
        ReportMisuse("Error: Attempt to call NETCLIENT::ReceiveData when not Init'd.\n", kAttemptMadeFrom);
        return false;
    }
    std::unique_lock<std::recursive_mutex> hold(m_lock);
    if (m_receiveBuffer.empty()) {
        hold.unlock();
        if (!m_connected) {
            ReportMisuse("Error: Attempt to receive data from server when not connected.\n",
                         kAttemptMadeFrom);
        }
        return false;
    }
    out.swap(m_receiveBuffer);
    m_receiveBuffer.clear();
    m_pendingBytes = 0;
    hold.unlock();
    netLog.Write(TextOf(out.data(), out.size()));
    return true;
}

void NetClient::Disconnect() {
    if (!m_initialised) {
        ReportMisuse("Error: Attempt to call NETCLIENT::Disconnect when not Init'd.\n", kAttemptMadeFrom);
        return;
    }
    if (!m_connected) return;
    std::lock_guard<std::recursive_mutex> network(networkLock);
    if (m_socket != kInvalidSocket) ShutdownSocket(m_socket);
    m_connected = false;
}

std::uint32_t NetClient::PendingBytes() const {
    if (!m_initialised || !m_connected) return 0;
    return m_pendingBytes.load();
}

void NetClient::ThreadProcedure(CThread* owner, void* parameter) {
    auto* client = static_cast<NetClient*>(parameter);
    while (!owner->terminateRequested) {
        while (!client->m_connected && !owner->terminateRequested) {
            std::this_thread::sleep_for(std::chrono::milliseconds(gIdlePauseMs.load()));
        }
        if (owner->terminateRequested) break;
        client->ReceivePass();
        std::this_thread::sleep_for(std::chrono::milliseconds(gConnectedPauseMs.load()));
    }
}

// Moves what the socket holds into the receive buffer (caller holds the network lock). False when the
// peer has closed or the connection failed.
bool NetClient::ReadAvailable(std::uint32_t count) {
    std::uint8_t chunk[kReceiveChunk];
    while (count > 0 && m_pendingBytes.load() < kReceiveBufferLimit) {
        const int received = ReceiveFromSocket(m_socket, chunk, kReceiveChunk);
        if (received <= 0) return false;
        {
            std::lock_guard<std::recursive_mutex> hold(m_lock);
            m_receiveBuffer.insert(m_receiveBuffer.end(), chunk, chunk + received);
            m_pendingBytes = static_cast<std::uint32_t>(m_receiveBuffer.size());
        }
        count -= std::min<std::uint32_t>(count, static_cast<std::uint32_t>(received));
        AddReceived(static_cast<std::uint32_t>(received));
    }
    return true;
}

// One polling pass, under the network lock: read what the socket holds, then check the connection.
void NetClient::ReceivePass() {
    std::lock_guard<std::recursive_mutex> network(networkLock);
    std::uint32_t count = 0;
    if (!ReadableBytes(m_socket, count)) {
        errorLog.Write("Something bad happened in net recieve data thread.. disconnecting.\n");
        Disconnect();
    } else if (!ReadAvailable(count)) {
        Disconnect();
    }
    if (m_connected) {
        const int error = CheckSocketConnection(m_socket);
        if (error == kSocketErrorNotConnected || error == kSocketErrorNetworkDown) Disconnect();
    }
}
