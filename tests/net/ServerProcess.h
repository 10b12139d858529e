// velm-server as a child process in a folder of its own, ended when the object goes.
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

// Polls until the condition holds or the limit has passed; the last result.
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
    // "velm-server MODE ARGS" in the emptied folder; a file server serves <folder>/dreams.
    ServerProcess(const std::filesystem::path& folder, const std::string& mode, std::vector<std::string> args)
        : m_folder(folder) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(dreams());
        const std::string program = BuiltProgram("tools/velm-server/velm-server").string();
        if (mode == "file") args.insert(args.begin(), {"--root", dreams().string()});
        args.insert(args.begin(), {program, mode});
        args.insert(args.end(), {"--port", "0", "--port-file", (folder / "port.txt").string(), "--log",
                                 (folder / "transcript.txt").string()});
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0 || !std::freopen("stderr.txt", "w", stderr)) ::_exit(126);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        WaitUntil([&] { return !ReadTextFile(folder / "port.txt").empty() || Exited(); });
        m_port = std::atoi(ReadTextFile(folder / "port.txt").c_str());
    }
    ~ServerProcess() {
        if (Stop() == -1 && m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    std::filesystem::path dreams() const { return m_folder / "dreams"; }
    std::string transcript() const { return ReadTextFile(m_folder / "transcript.txt"); }
    std::string stderrText() const { return ReadTextFile(m_folder / "stderr.txt"); }
    // SIGTERM, then the exit status, or -1 when the server did not end in time.
    int Stop() {
        if (m_status == -1 && m_pid > 0) ::kill(m_pid, SIGTERM);
        return WaitForExit(std::chrono::milliseconds(5000));
    }
    int WaitForExit(std::chrono::milliseconds limit) {
        return WaitUntil([&] { return Exited(); }, limit) ? m_status : -1;
    }

private:
    bool Exited() {
        int status = 0;
        if (m_status == -1 && m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == m_pid)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_status != -1;
    }
    std::filesystem::path m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
    int m_status = -1;
};
