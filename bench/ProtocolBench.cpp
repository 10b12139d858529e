// The game protocol's cost, and the chooser's start-up cost, each against a baseline of the same run:
// - avatar-move lines through PumpServerLines from a loopback connection, against copying the same bytes;
// - process start to the first presented chooser frame, against process start to the first presented frame
//   of an empty scene. This program starts itself as the client process ("--first-frame chooser|empty" in
//   a game directory): the same start-up through MainGame, only the first scene differs. It needs a display
//   (xvfb-run) and the client's data files made by the build (game/data).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/MainGame.h"
#include "app/SceneManager.h"
#include "client/CChooseINI.h"
#include "client/ServerLines.h"
#include "data/AvatarCode.h"
#include "data/PlayerProfile.h"
#include "gfx/DXG.h"
#include "net/NetClient.h"
#include "net/NetServer.h"
#include "net/VelmDataManager.h"
#include "runtime/MemoryTracker.h"

namespace {
namespace fs = std::filesystem;

std::int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// ---- server lines ----------------------------------------------------------------------------------------

constexpr int kLinesPerBatch = 5000;
constexpr int kAvatars = 20;

std::string Xy(int x, int y) {
    return encodeBase95(x, true) + encodeBase95(y, true);
}

// Twenty avatars walking one cell at a time: each line moves one of them from its cell to the next.
std::string MoveLines() {
    std::string bytes;
    for (int i = 0; i < kLinesPerBatch; ++i) {
        const int avatar = i % kAvatars, step = i / kAvatars;
        bytes += "/0123456789" + Xy(avatar * 3, (step + 1) % 90) + encodeBase95(45, true) +
                 Xy(avatar * 3, step % 90) + "\n";
    }
    return bytes;
}

// A logged-in protocol state on a loopback connection.
struct Connection {
    NetServer server;
    NetClient client;
    NetClient* peer = nullptr;

    Connection() {
        NetClient::SetPolling({std::chrono::milliseconds(1), std::chrono::milliseconds(5)});
        server.Listen(0);
        client.Connect("127.0.0.1", server.Port());
        while ((peer = server.TakeClient()) == nullptr)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::string login = "END\n";
        const std::string acknowledgement = "&&&&&&&&&&&&&\n";
        HandleServerBytes(reinterpret_cast<const std::uint8_t*>(login.data()), login.size());
        HandleServerBytes(reinterpret_cast<const std::uint8_t*>(acknowledgement.data()),
                          acknowledgement.size());
        SetGameConnection(&client);
    }
    ~Connection() {
        SetGameConnection(nullptr);
        trackedDelete(peer, VELM_SITE);
    }
    // Sends the bytes and waits until the client holds all of them.
    void Deliver(const std::string& bytes) {
        peer->SendData(bytes.data(), static_cast<int>(bytes.size()));
        while (client.PendingBytes() < bytes.size())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
};

void MoveLinesThroughPumpServerLines(benchmark::State& state) {
    Connection connection;
    const std::string bytes = MoveLines();
    for (auto _ : state) {
        state.PauseTiming();
        connection.Deliver(bytes);
        state.ResumeTiming();
        PumpServerLines();
    }
    if (CharacterList().size() != static_cast<std::size_t>(kAvatars))
        state.SkipWithError("the avatars were not all placed");
    state.SetItemsProcessed(state.iterations() * kLinesPerBatch);
}

void CopyingTheSameBytes(benchmark::State& state) {
    const std::string bytes = MoveLines();
    std::vector<std::uint8_t> copy;
    for (auto _ : state) {
        copy.assign(bytes.begin(), bytes.end());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kLinesPerBatch);
}

// ---- start-up --------------------------------------------------------------------------------------------

// Wraps the first scene (or none): notes the time when its second frame begins to draw, that is once the
// first frame has been presented, and ends the run at the next update.
class FirstFrameProbe : public Scene {
public:
    explicit FirstFrameProbe(Scene* inner) : m_inner(inner) {}
    ~FirstFrameProbe() override {
        if (m_inner != nullptr) trackedDelete(m_inner, VELM_SITE);
    }
    void Update(float seconds) override {
        if (m_presentedAt != 0) {
            std::printf("%lld\n", static_cast<long long>(m_presentedAt));
            std::fflush(stdout);
            RemoveScene();
            return;
        }
        if (m_inner != nullptr) m_inner->Update(seconds);
    }
    void Render() override {
        if (m_frames++ == 1) m_presentedAt = MonotonicNanoseconds();
        if (m_inner != nullptr) {
            m_inner->Render();
        } else {
            DXG::ScopedLock lock;
            DXG::Clear(0xFF000000, true, true);
        }
    }
    std::string GetName() override { return m_inner != nullptr ? m_inner->GetName() : "Empty"; }

private:
    Scene* m_inner;
    int m_frames = 0;
    std::int64_t m_presentedAt = 0;
};

Scene* ChooserFirst() {
    return track(new FirstFrameProbe(track(new CChooseINI(), "FIRST_SCENE", VELM_SITE)), "FirstFrameProbe",
                 VELM_SITE);
}

Scene* EmptyFirst() {
    return track(new FirstFrameProbe(nullptr), "FirstFrameProbe", VELM_SITE);
}

// A game directory with three profiles and the client's own data files, made once per run.
const fs::path& GameDirectory() {
    static const fs::path dir = fs::temp_directory_path() / ("velm-startup-" + std::to_string(getpid()));
    const fs::path self = fs::read_symlink("/proc/self/exe");
    if (!fs::exists(dir)) {
        fs::create_directories(dir);
        std::error_code error;
        fs::copy(self.parent_path().parent_path() / "game" / "data", dir / "data",
                 fs::copy_options::recursive, error);
        for (const char* name : {"amy", "bob", "cleo"}) {
            std::ofstream(dir / (std::string(name) + ".ini"))
                << "V1.6\nName=" << name << "\nPassword=pw\nColors=0123456789\nDesc=A cat\nSpec=37\n";
        }
    }
    return dir;
}

// Starts this program as the client in the game directory; the seconds from the start to its first
// presented frame, or a negative value when it failed.
double StartUpSeconds(const char* firstScene) {
    int out[2];
    if (pipe(out) != 0) return -1;
    const fs::path& dir = GameDirectory();
    const std::int64_t start = MonotonicNanoseconds();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        if (chdir(dir.c_str()) != 0) _exit(126);
        setenv("VELMVIEW_NO_DIALOGS", "1", 1);
        const std::string self = fs::read_symlink("/proc/self/exe").string();
        execl(self.c_str(), self.c_str(), "--first-frame", firstScene, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char text[64] = {};
    const ssize_t count = read(out[0], text, sizeof text - 1);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (count <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return static_cast<double>(std::atoll(text) - start) * 1e-9;
}

// The two start-ups alternate, so that the load of the machine weighs on both alike; the counters are the
// medians in milliseconds and their ratio.
void StartUpChooserAgainstEmptyScene(benchmark::State& state) {
    if (std::getenv("DISPLAY") == nullptr) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    std::vector<double> empty, chooser;
    for (auto _ : state) {
        // Each goes first every other time, so neither gains from what the other left in the caches.
        const bool chooserFirst = empty.size() % 2 == 1;
        const double firstSeconds = StartUpSeconds(chooserFirst ? "chooser" : "empty");
        const double secondSeconds = StartUpSeconds(chooserFirst ? "empty" : "chooser");
        const double emptySeconds = chooserFirst ? secondSeconds : firstSeconds;
        const double chooserSeconds = chooserFirst ? firstSeconds : secondSeconds;
        if (emptySeconds < 0 || chooserSeconds < 0) {
            state.SkipWithError("the client did not present a frame");
            return;
        }
        empty.push_back(emptySeconds);
        chooser.push_back(chooserSeconds);
        state.SetIterationTime(chooserSeconds);
    }
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    state.counters["empty_ms"] = median(empty) * 1e3;
    state.counters["chooser_ms"] = median(chooser) * 1e3;
    state.counters["ratio"] = median(chooser) / median(empty);
}

}  // namespace

BENCHMARK(MoveLinesThroughPumpServerLines)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyingTheSameBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(StartUpChooserAgainstEmptyScene)->UseManualTime()->Iterations(16)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--first-frame") == 0) {
        return MainGame(std::strcmp(argv[2], "chooser") == 0 ? ChooserFirst : EmptyFirst);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    fs::remove_all(GameDirectory(), error);
    return 0;
}
