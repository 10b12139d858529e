// The listening counterpart of NetClient: an accept thread wraps each accepted connection in a NetClient
// and queues it until the owner takes it.
#pragma once

#include <atomic>
#include <list>
#include <mutex>

#include "net/WinsockUser.h"
#include "platform/Socket.h"

class CThread;
class NetClient;

class NetServer : public WinsockUser {
public:
    NetServer();
    ~NetServer() override;

    bool Listen(int port);
    // The oldest accepted connection, now owned by the caller (release it with trackedDelete), or null.
    NetClient* TakeClient();
    void StopListening();

    bool IsListening() const { return m_listening.load(); }
    // The port the listening socket is bound to (the one the system chose for Listen(0)), or 0.
    int Port() const;

private:
    static void ThreadLoop(CThread* owner, void* parameter);
    void AcceptPass();
    void DestroyAccepted();

    std::atomic<bool> m_initialised{false};  // the listening socket exists and the accept thread started
    std::atomic<bool> m_listening{false};    // written under the network lock, read without it
    SocketHandle m_socket = kInvalidSocket;  // non-blocking; used under the network lock
    std::recursive_mutex m_lock;             // the instance lock: guards m_accepted
    std::list<NetClient*> m_accepted;        // oldest first; owned until taken
    CThread* m_thread = nullptr;
};
