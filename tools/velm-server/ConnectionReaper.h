// Ends finished connections off the server loop: ending a NetClient waits for its receive thread, which
// can take a pause of that thread, so a burst of closed connections would otherwise stall every session.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class NetClient;

class ConnectionReaper {
public:
    ConnectionReaper();
    // Waits until every released connection has been ended.
    ~ConnectionReaper();
    ConnectionReaper(const ConnectionReaper&) = delete;
    ConnectionReaper& operator=(const ConnectionReaper&) = delete;

    // Takes ownership of a tracked connection and ends it soon, on another thread.
    void Release(NetClient* client);

private:
    static constexpr int kWorkers = 16;  // connections ended at the same time
    void Work();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<NetClient*> m_waiting;  // guarded by m_lock
    bool m_stopping = false;           // guarded by m_lock
    std::vector<std::thread> m_workers;
};
