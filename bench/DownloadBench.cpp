// Download of a 1 MB dream from `velm-server file` on loopback, with the getter's real 25 ms pass. The
// figure is the ratio of the measured rate to the designed ceiling of one block per pass.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "data/PlayerProfile.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"

namespace {
namespace fs = std::filesystem;

constexpr int kDreamSize = 1 << 20;
constexpr int kBlockSize = 4096;
constexpr double kPassSeconds = 0.025;

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The server program beside this benchmark in the build tree.
fs::path ServerProgram() {
    if (const char* dir = std::getenv("VELM_BIN_DIR")) return fs::path(dir) / "tools/velm-server/velm-server";
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "tools/velm-server/velm-server";
}

// A game directory with a profile, the dream on the server's side and the server running.
class Setup {
public:
    Setup() {
        m_root = fs::absolute("download-bench");
        fs::remove_all(m_root);
        std::string dream(kDreamSize, '\0');
        for (int i = 0; i < kDreamSize; ++i) dream[i] = static_cast<char>(i * 31 + i / 4093);
        WriteFile(m_root / "server/dreams/big.dream", dream);
        WriteFile(m_root / "game/bench.ini",
                  "V1.6\nName=Bench\nPassword=pw\nColors=aaaaaaaaaa\nDesc=d\nSpec=11\n");
        const fs::path portFile = m_root / "server/port.txt";
        const std::string program = ServerProgram().string();
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::chdir((m_root / "server").c_str()) != 0) ::_exit(126);
            ::execl(program.c_str(), program.c_str(), "file", "--root", "dreams", "--port", "0",
                    "--port-file", portFile.c_str(), "--window", "16", "--block-size",
                    std::to_string(kBlockSize).c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 10000 && !fs::exists(portFile); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::string port;
        std::ifstream(portFile) >> port;
        WriteFile(m_root / "game/data/velmfile_ip.txt", "127.0.0.1 " + port + "\n");
        fs::current_path(m_root / "game");
        LoadPlayerIni("bench.ini");
    }
    ~Setup() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

private:
    fs::path m_root;
    pid_t m_pid = -1;
};

void BM_DreamDownload(benchmark::State& state) {
    static Setup setup;
    bool complete = true;
    for (auto _ : state) {
        VELM::FileGetter* getter = StartDownload("big", 0, "vvw_tmp\\big");
        while (!getter->IsFinished()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        complete = complete && getter->IsComplete();
        EndTransfer(Transfers().front());
        for (std::string text; NextTransferMessage(text);) {
        }
    }
    if (!complete) state.SkipWithError("a download did not complete");
    // The ceiling: every pass takes one block of B - 10 payload bytes.
    const double ceilingBytesPerSecond = (kBlockSize - 10) / kPassSeconds;
    state.counters["bytes_per_second"] =
        benchmark::Counter(static_cast<double>(kDreamSize), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["ceiling_bytes_per_second"] = ceilingBytesPerSecond;
    state.counters["ratio_to_ceiling"] =
        benchmark::Counter(static_cast<double>(kDreamSize) / ceilingBytesPerSecond,
                           benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DreamDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}  // namespace

BENCHMARK_MAIN();
