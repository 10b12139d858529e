// Text cost per frame on the OpenGL device: a full chat window (20 visible lines of 87 characters) laid out
// and drawn every frame, against the empty frame (begin, clear, end, present) measured in the same run.
// Run under a display (xvfb-run); the ratio is ChatWindowLayoutAndDraw / EmptyFrame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "BenchGraphics.h"
#include "gfx/CTextWindow.h"
#include "gfx/DXG.h"

namespace {

void* window = nullptr;

bool StartGraphics() {
    return bench::OpenGraphics("TextBench", &window);
}

std::string ChatLine(int n) {
    std::string line = "[" + std::to_string(n) + "] ";
    while (line.size() < 87) line += char('a' + (line.size() * 7 + n) % 26);
    return line;
}

void EmptyFrame(benchmark::State& state) {
    if (!StartGraphics()) {
        state.SkipWithError("no graphics");
        return;
    }
    for (auto _ : state) {
        if (!DXG::BeginFrame(0.01f, false, false)) continue;
        DXG::Clear(0xff000000, true, true);
        DXG::EndFrame0();
        DXG::EndFrame1();
    }
}

// A new line every frame scrolls the window, so all 20 visible lines are laid out again.
void ChatWindowLayoutAndDraw(benchmark::State& state) {
    if (!StartGraphics()) {
        state.SkipWithError("no graphics");
        return;
    }
    CTextWindow chat(50, 300, 700, 250, 100);
    for (int i = 0; i < 100; ++i) chat.AddText(ChatLine(i));
    int n = 100;
    for (auto _ : state) {
        if (!DXG::BeginFrame(0.01f, false, false)) continue;
        DXG::Clear(0xff000000, true, true);
        chat.AddText(ChatLine(n++));
        chat.Draw();
        DXG::EndFrame0();
        DXG::EndFrame1();
    }
}

// The same window unchanged: drawing only, the layout is kept.
void ChatWindowDrawOnly(benchmark::State& state) {
    if (!StartGraphics()) {
        state.SkipWithError("no graphics");
        return;
    }
    CTextWindow chat(50, 300, 700, 250, 100);
    for (int i = 0; i < 100; ++i) chat.AddText(ChatLine(i));
    for (auto _ : state) {
        if (!DXG::BeginFrame(0.01f, false, false)) continue;
        DXG::Clear(0xff000000, true, true);
        chat.Draw();
        DXG::EndFrame0();
        DXG::EndFrame1();
    }
}

}  // namespace

BENCHMARK(EmptyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(ChatWindowLayoutAndDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(ChatWindowDrawOnly)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    bench::CloseGraphics(window);
    return 0;
}
