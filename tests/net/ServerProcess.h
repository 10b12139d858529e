// Starts `velm-server file` as a child process in a folder of its own, learns its port from the port
// file, and always ends it (SIGTERM, then SIGKILL) when the object goes.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

class ServerProcess {
public:
    // extraArgs follow "file --root <folder>/dreams --port 0 --port-file ... --log ...".
    ServerProcess(const std::filesystem::path& folder, const std::vector<std::string>& extraArgs);
    ~ServerProcess();

    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    std::filesystem::path dreams() const { return m_folder / "dreams"; }
    // The server's transcript so far.
    std::string transcript() const;
    // Waits for the server to exit by itself; its exit status, or -1 when it did not exit in time.
    int WaitForExit(std::chrono::milliseconds limit);

private:
    std::filesystem::path m_folder;
    int m_pid = -1;
    int m_port = 0;
    int m_exitStatus = -1;
};

// Polls condition every millisecond until it holds or the limit has passed; the last result.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
