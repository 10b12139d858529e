// BSD sockets behind the small interface of Socket.h, with errno turned into Winsock error numbers.
#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
thread_local int tLastError = 0;

int WinsockNumberOf(int error) {
    switch (error) {
    case 0: return 0;
    case EWOULDBLOCK: return kSocketErrorWouldBlock;
    case EADDRINUSE: return kSocketErrorAddressInUse;
    case ENETDOWN:
    case ENETUNREACH: return kSocketErrorNetworkDown;
    case ECONNRESET:
    case EPIPE: return kSocketErrorConnectionReset;
    case ENOTCONN: return kSocketErrorNotConnected;
    case ETIMEDOUT: return kSocketErrorTimedOut;
    case ECONNREFUSED: return kSocketErrorConnectionRefused;
    case EHOSTUNREACH: return kSocketErrorHostUnreachable;
    default: return kSocketErrorOther;
    }
}

// Records the outcome of a call: the current errno when it failed, 0 otherwise.
void Record(bool failed) {
    tLastError = failed ? WinsockNumberOf(errno) : 0;
}

int Fd(SocketHandle socket) {
    return static_cast<int>(socket);
}
}  // namespace

int LastSocketError() {
    return tLastError;
}

bool StartSocketLibrary() {
    // Sends use MSG_NOSIGNAL; ignoring SIGPIPE as well covers any other write to a dead connection.
    static const bool ignored = [] {
        ::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    return ignored;
}

void StopSocketLibrary() {}

SocketHandle CreateStreamSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    Record(fd < 0);
    return fd < 0 ? kInvalidSocket : fd;
}

bool SetSocketNonBlocking(SocketHandle socket) {
    const int flags = ::fcntl(Fd(socket), F_GETFL, 0);
    const bool ok = flags >= 0 && ::fcntl(Fd(socket), F_SETFL, flags | O_NONBLOCK) == 0;
    Record(!ok);
    return ok;
}

bool ResolveHostIPv4(const char* host, std::uint8_t address[4]) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (host == nullptr || ::getaddrinfo(host, nullptr, &hints, &result) != 0 || result == nullptr) {
        tLastError = kSocketErrorOther;
        return false;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    std::memcpy(address, &in->sin_addr.s_addr, 4);
    ::freeaddrinfo(result);
    tLastError = 0;
    return true;
}

bool ConnectSocket(SocketHandle socket, const std::uint8_t address[4], int port) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    std::memcpy(&peer.sin_addr.s_addr, address, 4);
    int result;
    do {
        result = ::connect(Fd(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    } while (result != 0 && errno == EINTR);
    Record(result != 0);
    return result == 0;
}

int SendOnSocket(SocketHandle socket, const void* data, int length) {
    ssize_t sent;
    do {
        sent = ::send(Fd(socket), data, static_cast<size_t>(length), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    Record(sent < 0);
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int SendOnSocketWithoutWaiting(SocketHandle socket, const void* data, int length) {
    ssize_t sent;
    do {
        sent = ::send(Fd(socket), data, static_cast<size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        Record(true);
        return 0;
    }
    Record(sent < 0);
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int ReceiveFromSocket(SocketHandle socket, void* buffer, int capacity) {
    ssize_t received;
    do {
        received = ::recv(Fd(socket), buffer, static_cast<size_t>(capacity), 0);
    } while (received < 0 && errno == EINTR);
    Record(received < 0);
    return received < 0 ? -1 : static_cast<int>(received);
}

bool ReadableBytes(SocketHandle socket, std::uint32_t& count) {
    int available = 0;
    const bool ok = ::ioctl(Fd(socket), FIONREAD, &available) == 0;
    Record(!ok);
    count = ok && available > 0 ? static_cast<std::uint32_t>(available) : 0;
    return ok;
}

int CheckSocketConnection(SocketHandle socket) {
    // Bytes still waiting keep the connection alive until they are read; the peer's close is seen only
    // after them. POSIX getpeername does not notice a close at all: a readable socket with nothing to read
    // means the peer has finished sending.
    char probe;
    const ssize_t peeked = ::recv(Fd(socket), &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked > 0) {
        tLastError = 0;
        return 0;
    }
    if (peeked == 0) {
        tLastError = kSocketErrorNotConnected;
        return tLastError;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        tLastError =
            errno == ENETDOWN || errno == ENETUNREACH ? kSocketErrorNetworkDown : kSocketErrorNotConnected;
        return tLastError;
    }
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    Record(::getpeername(Fd(socket), reinterpret_cast<sockaddr*>(&peer), &size) != 0);
    return tLastError;
}

void ShutdownSocket(SocketHandle socket) {
    Record(::shutdown(Fd(socket), SHUT_RDWR) != 0);
}

void CloseSocket(SocketHandle socket) {
    Record(::close(Fd(socket)) != 0);
}

bool BindSocketAnyAddress(SocketHandle socket, int port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool ok = ::bind(Fd(socket), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    Record(!ok);
    return ok;
}

bool ListenOnSocket(SocketHandle socket) {
    // Linux would bind an unbound socket to some free port here; Winsock refuses, and so do we, so that a
    // failed bind ends in a refusal to listen.
    if (LocalPortOfSocket(socket) == 0) {
        tLastError = kSocketErrorInvalidArgument;
        return false;
    }
    const bool ok = ::listen(Fd(socket), SOMAXCONN) == 0;
    Record(!ok);
    return ok;
}

SocketHandle AcceptOnSocket(SocketHandle socket) {
    // accept4 without SOCK_NONBLOCK: the accepted connection is blocking, whatever the listener is.
    const int fd = ::accept4(Fd(socket), nullptr, nullptr, SOCK_CLOEXEC);
    Record(fd < 0);
    return fd < 0 ? kInvalidSocket : fd;
}

int LocalPortOfSocket(SocketHandle socket) {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        Record(true);
        return 0;
    }
    tLastError = 0;
    return ntohs(local.sin_port);
}
