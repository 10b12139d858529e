// Helpers of the end-to-end sessions: child processes, polling, shell captures and window pictures.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TestSupport.h"

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline bool HasDisplay() {
    return std::getenv("DISPLAY") != nullptr && RunCommand("xdotool getdisplaygeometry >/dev/null 2>&1") == 0;
}

inline bool Poll(std::chrono::milliseconds limit, const std::function<bool()>& condition) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

// A program run in a folder of its own, stdout and stderr in files there; killed (SIGTERM first) at the end.
class Child {
public:
    Child(const fs::path& program, std::vector<std::string> args, const fs::path& folder,
          std::vector<std::pair<std::string, std::string>> env = {})
        : m_folder(folder) {
        fs::create_directories(folder);
        args.insert(args.begin(), program.string());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            // The player's settings go beside the folder, never into the tester's own home.
            ::setenv("XDG_CONFIG_HOME", (folder.string() + "-config").c_str(), 1);
            for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
            if (::chdir(folder.c_str()) != 0 || !std::freopen("stdout.txt", "w", stdout) ||
                !std::freopen("stderr.txt", "w", stderr))
                ::_exit(126);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~Child() {
        if (m_pid <= 0 || m_exited) return;
        ::kill(m_pid, SIGTERM);
        if (Wait(5s) == -2) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t pid() const { return m_pid; }
    std::string File(const std::string& name) const { return ReadTextFile(m_folder / name); }
    // The exit code; -1 for a death by signal, -2 when the process has not ended within the time.
    int Wait(std::chrono::milliseconds limit) {
        int status = 0;
        if (!m_exited) m_exited = Poll(limit, [&] { return ::waitpid(m_pid, &status, WNOHANG) == m_pid; });
        if (!m_exited) return -2;
        if (m_status == -3) m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }

private:
    fs::path m_folder;
    pid_t m_pid = -1;
    bool m_exited = false;
    int m_status = -3;
};

// A fresh copy of the built game directory (the client's files and the demo world) in dir/game.
inline fs::path FreshGame(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(BuiltProgram("game"), dir / "game", fs::copy_options::recursive);
    return dir / "game";
}

// velm-server MODE in dir/MODE-server, writing port.txt and transcript.txt there.
inline std::unique_ptr<Child> StartServer(const fs::path& dir, const std::string& mode,
                                          std::vector<std::string> args) {
    args.insert(args.begin(), {mode, "--port", "0", "--port-file", "port.txt", "--log", "transcript.txt"});
    return std::make_unique<Child>(BuiltProgram("tools/velm-server/velm-server"), std::move(args),
                                   dir / (mode + "-server"));
}

// Output of a shell command, trailing blanks and line feeds cut.
inline std::string Capture(const std::string& command, const fs::path& scratch) {
    const fs::path out = scratch / "command.txt";
    if (RunCommand(command + " > '" + out.string() + "' 2>/dev/null") != 0) return "";
    std::string text = ReadTextFile(out);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// A picture of the window as a PNG file; false when it could not be taken.
inline bool Snapshot(const std::string& window, const fs::path& png) {
    return RunCommand("import -window " + window + " '" + png.string() + "'") == 0;
}

// ImageMagick's answer about a part of a picture, e.g. Measure(png, "100x20+0+0", "%[fx:mean]").
inline std::string Measure(const fs::path& png, const std::string& crop, const std::string& format) {
    return Capture("convert '" + png.string() + "' -crop " + crop + " +repage -format '" + format + "' info:",
                   png.parent_path());
}

// The mean absolute difference (0..1) of the same part of two pictures.
inline double Difference(const fs::path& a, const fs::path& b, const std::string& crop) {
    const std::string text = Capture("convert '" + a.string() + "' '" + b.string() + "' -crop " + crop +
                                         " +repage -compose difference -composite -format '%[fx:mean]' info:",
                                     a.parent_path());
    return text.empty() ? -1.0 : std::atof(text.c_str());
}

// The client started in its game directory, message boxes written to its stderr.
inline std::unique_ptr<Child> LaunchClient(const fs::path& game, std::vector<std::string> arguments = {}) {
    return std::make_unique<Child>(
        BuiltProgram("velmview"), std::move(arguments), game,
        std::vector<std::pair<std::string, std::string>>{{"VELMVIEW_NO_DIALOGS", "1"}});
}

// The client's window, found by its process once its graphics are up; "" after a minute without.
inline std::string ClientWindow(const Child& client, const fs::path& game, const fs::path& scratch) {
    const std::string window =
        Capture("timeout 60 xdotool search --sync --all --pid " + std::to_string(client.pid()) +
                    " --class VelmViewWindow | head -n 1",
                scratch);
    const bool ready = !window.empty() && Poll(60s, [&] {
        return ReadTextFile(game / "_stat.txt").find("Initial free texture memory") != std::string::npos;
    });
    return ready ? window : "";
}

// Points the game directory's address files at the stand-in servers once each has written its port file.
inline bool PointAddressFiles(const fs::path& game, const Child& gameServer, const Child& fileServer) {
    for (const auto& [child, file] :
         {std::pair{&gameServer, "velm_ip.txt"}, std::pair{&fileServer, "velmfile_ip.txt"}}) {
        if (!Poll(10s, [&] { return !child->File("port.txt").empty(); })) return false;
        WriteTextFile(game / "data" / file, "127.0.0.1 " + child->File("port.txt"));
    }
    return true;
}

// Keys to the window, focused again first; each held a few frames (the chooser polls once per frame).
inline bool HoldKeys(const std::string& window, const std::vector<std::string>& keys) {
    std::string command = "xdotool windowfocus --sync " + window;
    for (const std::string& key : keys)
        command += " keydown " + key + " sleep 0.15 keyup " + key + " sleep 0.1";
    return RunCommand(command) == 0;
}

// What the sessions share: a scratch folder with its game directory, the servers, the client and its window.
class Session : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    }
    fs::path game() const { return m_dir / "game"; }
    std::string Client(const std::string& file) const { return ReadTextFile(game() / file); }
    std::string GameTranscript() const { return m_gameServer->File("transcript.txt"); }
    bool GameServerGot(const std::string& text, std::chrono::milliseconds limit = 30s) {
        return Poll(limit, [&] { return GameTranscript().find(text) != std::string::npos; });
    }
    void Keys(const std::vector<std::string>& keys) { ASSERT_TRUE(HoldKeys(m_window, keys)); }
    void StartClient(const std::vector<std::string>& arguments = {}) {
        m_client = LaunchClient(game(), arguments);
        m_window = ClientWindow(*m_client, game(), m_dir);
        ASSERT_FALSE(m_window.empty()) << m_client->File("stderr.txt");
    }
    // Closes the window: exit code 0 and, when clean, an empty _error.txt (no leak report, no misuse).
    void Close(bool clean = true) {
        ASSERT_EQ(RunCommand("xdotool windowclose " + m_window), 0);
        EXPECT_EQ(m_client->Wait(60s), 0) << m_client->File("stderr.txt");
        if (clean) {
            EXPECT_EQ(Client("_error.txt"), "");
        }
    }

    fs::path m_dir;
    std::unique_ptr<Child> m_gameServer, m_fileServer, m_client;
    std::string m_window;
};

}  // namespace e2e
