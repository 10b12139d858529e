// Appending a line to the chat window alone, against appending it with its chat log line (the file opened,
// appended and closed each time). The ratio is WithLog / WindowOnly.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "client/ChatLog.h"
#include "gfx/CTextWindow.h"

namespace {

const std::string kLine = "Pip: Has anyone seen the Star Tower at night? The pond is deeper than it looks.";

void WindowOnly(benchmark::State& state) {
    CTextWindow window(50, 300, 700, 250, 1000);
    for (auto _ : state) window.AddText(kLine);
}

void WithLog(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velm-chatlog-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ChatLog log(folder.string());
    CTextWindow window(50, 300, 700, 250, 1000);
    window.SetTextObserver([&](const std::string& text) { log.Append(text); });
    for (auto _ : state) window.AddText(kLine);
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(WindowOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(WithLog)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
