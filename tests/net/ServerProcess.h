// Starts `velm-server file` as a child process in a folder of its own, learns its port from the port
// file, and always ends it (SIGTERM, then SIGKILL) when the object goes.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/TestSupport.h"

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

class ServerProcess {
public:
    // extraArgs follow "file --root <folder>/dreams --port 0 --port-file ... --log ...".
    ServerProcess(const std::filesystem::path& folder, std::vector<std::string> args) : m_folder(folder) {
        std::filesystem::create_directories(folder / "dreams");
        std::filesystem::remove(folder / "port.txt");
        const std::string program = BuiltProgram("tools/velm-server/velm-server").string();
        args.insert(args.begin(),
                    {program, "file", "--root", dreams().string(), "--port", "0", "--port-file",
                     (folder / "port.txt").string(), "--log", (folder / "server.log").string()});
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        if (m_pid < 0) return;
        WaitUntil([&] { return !ReadTextFile(folder / "port.txt").empty(); });
        m_port = std::atoi(ReadTextFile(folder / "port.txt").c_str());
    }
    ~ServerProcess() {
        if (m_pid <= 0 || m_exitStatus != -1) return;
        ::kill(m_pid, SIGTERM);
        if (WaitForExit(std::chrono::milliseconds(5000)) == -1) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    std::filesystem::path dreams() const { return m_folder / "dreams"; }
    // The server's transcript so far.
    std::string transcript() const { return ReadTextFile(m_folder / "server.log"); }
    // Waits for the server to exit by itself; its exit status, or -1 when it did not exit in time.
    int WaitForExit(std::chrono::milliseconds limit) {
        if (m_exitStatus != -1 || m_pid <= 0) return m_exitStatus;
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit)) return -1;
        m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_exitStatus;
    }

private:
    std::filesystem::path m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
    int m_exitStatus = -1;
};
