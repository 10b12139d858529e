// ConnectionReaper: a small pool of threads that end released connections.
#include "ConnectionReaper.h"

#include "net/NetClient.h"
#include "runtime/MemoryTracker.h"

ConnectionReaper::ConnectionReaper() {
    for (int i = 0; i < kWorkers; ++i) m_workers.emplace_back([this] { Work(); });
}

ConnectionReaper::~ConnectionReaper() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers) worker.join();
}

void ConnectionReaper::Release(NetClient* client) {
    client->Disconnect();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_waiting.push_back(client);
    }
    m_wake.notify_one();
}

// Ends connections until stopped with nothing left waiting.
void ConnectionReaper::Work() {
    for (;;) {
        NetClient* client = nullptr;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_wake.wait(hold, [this] { return m_stopping || !m_waiting.empty(); });
            if (m_waiting.empty()) return;
            client = m_waiting.front();
            m_waiting.pop_front();
        }
        trackedDelete(client, VELM_SITE);
    }
}
