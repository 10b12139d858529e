// One TCP connection with a background receive thread. SendData sends a whole block; the receive thread
// collects what arrives, and ReceiveData hands all of it over in one piece. Callers cut lines themselves.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "net/WinsockUser.h"
#include "platform/Socket.h"

class CThread;

class NetClient : public WinsockUser {
public:
    // A client for an outgoing connection: a socket and a receive thread, not yet connected.
    NetClient();
    // Adopts a connected socket (the accepted connections of NetServer).
    explicit NetClient(SocketHandle socket);
    ~NetClient() override;

    bool Connect(const std::string& host, int port);
    bool SendData(const void* data, int length);
    // Sends what the socket takes now without waiting: the count sent (0 when its buffer is full), or -1
    // when the connection has failed, which also disconnects. For servers that queue their own output.
    int SendWithoutWaiting(const void* data, int length);
    // Replaces out with every byte received so far. Bytes that arrived before the peer closed are still
    // handed over; "not connected" is reported only when nothing is left.
    bool ReceiveData(std::vector<std::uint8_t>& out);
    void Disconnect();
    bool IsConnected() const { return m_connected.load(); }
    // Bytes waiting in the receive buffer; 0 unless initialised and connected. Needs no lock.
    std::uint32_t PendingBytes() const;
    // Bytes waiting in the receive buffer in any state, also after the peer has closed.
    std::uint32_t BufferedBytes() const { return m_pendingBytes.load(); }

    // The receive buffer stops growing at this size; further bytes wait in the socket until the owner
    // takes what is buffered.
    static constexpr std::size_t kReceiveBufferLimit = 16u << 20;

    // The receive thread's pause between passes while connected and while not: process-wide, back to these
    // values at the process-state reset.
    struct Polling {
        std::chrono::milliseconds connected{20};
        std::chrono::milliseconds idle{100};
    };
    static void SetPolling(Polling polling);

private:
    static void ThreadProcedure(CThread* owner, void* parameter);
    void ReceivePass();
    bool ReadAvailable(std::uint32_t count);

    std::atomic<bool> m_initialised{false};        // a socket exists and the receive thread was started
    std::atomic<bool> m_connected{false};          // written under the network lock, read without it
    SocketHandle m_socket = kInvalidSocket;        // used under the network lock
    std::recursive_mutex m_lock;                   // the instance lock: guards m_receiveBuffer
    std::vector<std::uint8_t> m_receiveBuffer;     // guarded by m_lock
    std::atomic<std::uint32_t> m_pendingBytes{0};  // size of m_receiveBuffer, for lock-free polling
    CThread* m_thread = nullptr;
};
