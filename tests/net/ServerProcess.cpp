// The stand-in file server as a child process of the tests.
#include "ServerProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "support/TestSupport.h"

namespace fs = std::filesystem;

ServerProcess::ServerProcess(const fs::path& folder, const std::vector<std::string>& extraArgs)
    : m_folder(folder) {
    fs::create_directories(folder / "dreams");
    fs::remove(folder / "port.txt");
    const std::string program = BuiltProgram("tools/velm-server/velm-server").string();
    std::vector<std::string> args = {program,       "file",
                                     "--root",      (folder / "dreams").string(),
                                     "--port",      "0",
                                     "--port-file", (folder / "port.txt").string(),
                                     "--log",       (folder / "server.log").string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    if (pid < 0) return;
    const fs::path portFile = folder / "port.txt";
    WaitUntil([&] { return fs::exists(portFile) && !ReadTextFile(portFile).empty(); });
    m_port = std::atoi(ReadTextFile(portFile).c_str());
}

ServerProcess::~ServerProcess() {
    if (m_pid <= 0 || m_exitStatus != -1) return;
    ::kill(m_pid, SIGTERM);
    if (WaitForExit(std::chrono::milliseconds(5000)) == -1) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

std::string ServerProcess::transcript() const {
    return ReadTextFile(m_folder / "server.log");
}

int ServerProcess::WaitForExit(std::chrono::milliseconds limit) {
    if (m_exitStatus != -1 || m_pid <= 0) return m_exitStatus;
    int status = 0;
    const bool exited = WaitUntil([&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; }, limit);
    if (!exited) return -1;
    m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m_exitStatus;
}
