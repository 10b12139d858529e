// A thin layer over the BSD socket calls that the networking layer uses. Failures keep the calling
// thread's last socket error as a Winsock error number, because the callers decide by those numbers.
#pragma once

#include <cstdint>

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kInvalidSocket = ~static_cast<SocketHandle>(0);  // all bits set

// The Winsock error numbers the callers test (and a few more that show up in reports).
inline constexpr int kSocketErrorInvalidArgument = 10022;
inline constexpr int kSocketErrorWouldBlock = 10035;
inline constexpr int kSocketErrorAddressInUse = 10048;
inline constexpr int kSocketErrorNetworkDown = 10050;
inline constexpr int kSocketErrorConnectionReset = 10054;
inline constexpr int kSocketErrorNotConnected = 10057;
inline constexpr int kSocketErrorTimedOut = 10060;
inline constexpr int kSocketErrorConnectionRefused = 10061;
inline constexpr int kSocketErrorHostUnreachable = 10065;
inline constexpr int kSocketErrorOther = 10000;  // anything without a closer match

// The calling thread's last socket error (0 when the last call succeeded).
int LastSocketError();

// Starting and stopping the socket library. There is nothing to start on POSIX systems; the start
// makes sure a write to a closed connection returns an error instead of ending the process.
bool StartSocketLibrary();
void StopSocketLibrary();

// A blocking IPv4 stream socket, or kInvalidSocket.
SocketHandle CreateStreamSocket();
bool SetSocketNonBlocking(SocketHandle socket);

// The first IPv4 address of a host name (blocking name lookup), as four bytes in network order.
bool ResolveHostIPv4(const char* host, std::uint8_t address[4]);

// Blocking connect to the four-byte address and port.
bool ConnectSocket(SocketHandle socket, const std::uint8_t address[4], int port);

// One send call: the count sent, or -1 on error.
int SendOnSocket(SocketHandle socket, const void* data, int length);
// One send call that never waits: the count sent (0 when the socket's buffer is full), or -1 on error.
int SendOnSocketWithoutWaiting(SocketHandle socket, const void* data, int length);
// One receive call: the count received, 0 when the peer closed, -1 on error.
int ReceiveFromSocket(SocketHandle socket, void* buffer, int capacity);

// The bytes that can be read without blocking. False when the query fails.
bool ReadableBytes(SocketHandle socket, std::uint32_t& count);

// Checks that the socket is still connected to its peer: 0, or the Winsock error. A peer that has closed
// its side, with nothing left to read, counts as not connected (10057), as does a reset connection.
int CheckSocketConnection(SocketHandle socket);

void ShutdownSocket(SocketHandle socket);  // both directions
void CloseSocket(SocketHandle socket);

// Binds to any local address (SO_REUSEADDR is not set, so a port in use is refused).
bool BindSocketAnyAddress(SocketHandle socket, int port);
bool ListenOnSocket(SocketHandle socket);  // the largest backlog the system allows
// A connection waiting on a non-blocking listening socket, or kInvalidSocket.
SocketHandle AcceptOnSocket(SocketHandle socket);
// The local port the socket is bound to, or 0.
int LocalPortOfSocket(SocketHandle socket);
