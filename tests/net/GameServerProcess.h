// Starts `velm-server game` as a child process in a folder of its own, and a line-reading client for it.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ServerProcess.h"
#include "net/NetClient.h"

class GameServerProcess {
public:
    // args follow "game --world WORLD --port 0 --port-file ... --log <folder>/transcript.txt".
    GameServerProcess(const std::filesystem::path& folder, const std::filesystem::path& world,
                      std::vector<std::string> args)
        : m_folder(folder) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const std::string program = BuiltProgram("tools/velm-server/velm-server").string();
        args.insert(args.begin(),
                    {program, "game", "--world", world.string(), "--port", "0", "--port-file",
                     (folder / "port.txt").string(), "--log", (folder / "transcript.txt").string()});
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0 || !std::freopen("stderr.txt", "w", stderr) ||
                !std::freopen("stdout.txt", "w", stdout))
                ::_exit(126);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        WaitUntil([&] { return !ReadTextFile(folder / "port.txt").empty() || Exited(); });
        m_port = std::atoi(ReadTextFile(folder / "port.txt").c_str());
    }
    ~GameServerProcess() {
        if (m_pid <= 0 || m_status != -1) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    int port() const { return m_port; }
    std::string transcript() const { return ReadTextFile(m_folder / "transcript.txt"); }
    std::string stderrText() const { return ReadTextFile(m_folder / "stderr.txt"); }
    // Sends SIGTERM and waits; the exit status, or -1 when the server did not end in time.
    int Stop() {
        if (m_status == -1 && m_pid > 0) ::kill(m_pid, SIGTERM);
        return WaitForExit(std::chrono::milliseconds(5000));
    }
    int WaitForExit(std::chrono::milliseconds limit) {
        if (!WaitUntil([&] { return Exited(); }, limit)) return -1;
        return m_status;
    }

private:
    bool Exited() {
        int status = 0;
        if (m_status == -1 && m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return m_status != -1;
    }
    std::filesystem::path m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
    int m_status = -1;
};

// A connection to the game server that reads whole lines.
class LineClient {
public:
    explicit LineClient(int port) { m_client.Connect("127.0.0.1", port); }
    bool connected() const { return m_client.IsConnected(); }
    void Send(const std::string& bytes) { m_client.SendData(bytes.data(), static_cast<int>(bytes.size())); }
    // Every byte received so far, lines and all.
    const std::string& received() {
        Pump();
        return m_received;
    }
    // The next line (without its line feed) satisfying the predicate; "<none>" when none came in time.
    // Lines before it are consumed.
    template <class Predicate>
    std::string WaitFor(Predicate predicate,
                        std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        std::string found = "<none>";
        WaitUntil(
            [&] {
                Pump();
                for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
                    std::string line = m_pending.substr(0, end);
                    m_pending.erase(0, end + 1);
                    if (predicate(line)) {
                        found = line;
                        return true;
                    }
                }
                return false;
            },
            limit);
        return found;
    }
    std::string WaitForPrefix(const std::string& prefix) {
        return WaitFor([&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }
    // Logs in and enters the world; the lines of the world it was sent, up to its own welcome text.
    std::vector<std::string> Enter(const std::string& name, const std::string& colors = "!!!!!!!!!!") {
        WaitFor([](const std::string& line) { return line == "END"; });
        Send("connect " + name + " secret\n");
        WaitFor([](const std::string& line) { return line == "&&&&&&&&&&&&&"; });
        Send("desc " + name + " the tester\ncolor " + colors + "00 \n");
        std::vector<std::string> lines;
        WaitFor([&](const std::string& line) {
            lines.push_back(line);
            return line.rfind("(Welcome", 0) == 0;
        });
        return lines;
    }

private:
    void Pump() {
        std::vector<std::uint8_t> bytes;
        if (m_client.BufferedBytes() != 0 && m_client.ReceiveData(bytes)) {
            m_received.append(bytes.begin(), bytes.end());
            m_pending.append(bytes.begin(), bytes.end());
        }
    }
    NetClient m_client;
    std::string m_received, m_pending;
};
