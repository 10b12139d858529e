// Present into a window of any size: the full world frame (a 31 x 31 window of floors with walls and
// objects, 100 avatars, 20 dream markers, a full chat window) drawn at 800 x 600 and presented into an
// 800 x 600 window, against the same frame presented scaled into a 1920 x 1080 window (one filtered copy
// with bars). Empty frames at both sizes show the present's own cost. Run under a display large enough
// for the big window (xvfb-run -s "-screen 0 1920x1080x24"); the ratio is FullFrame1920 / FullFrame800.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchGraphics.h"
#include "gfx/CTextWindow.h"
#include "gfx/DXG.h"
#include "runtime/ProcessState.h"
#include "support/ReferenceWorlds.h"
#include "world/VelmRenderer.h"

namespace {

void* window = nullptr;
std::vector<DXG::Texture> floorTextures;
std::unique_ptr<CTextWindow> chat;

// The frame benchmark's bench world and full chat window.
bool StartGraphics() {
    if (window != nullptr) return true;
    if (!bench::OpenGraphics("PresentBench", &window, true) || !reference::BuildBenchWorld(floorTextures))
        return false;
    chat = reference::BenchChat();
    return true;
}

void Frame(bool world) {
    if (!DXG::BeginFrame(0.01f, false, false)) return;
    DXG::Clear(0xff000000, true, true);
    if (world) {
        renderWorld();
        chat->Draw();
    }
    DXG::EndFrame0();
    DXG::EndFrame1();
}

void Run(benchmark::State& state, int width, int height, bool world) {
    if (!StartGraphics()) {
        state.SkipWithError("no graphics");
        return;
    }
    SDL_SetWindowSize(static_cast<SDL_Window*>(window), width, height);
    SDL_PumpEvents();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(window), &w, &h);
    if (w != width || h != height) {
        state.SkipWithError("the display did not give the window its size");
        return;
    }
    Frame(world);
    for (auto _ : state) Frame(world);
}

void EmptyFrame800(benchmark::State& state) {
    Run(state, 800, 600, false);
}
void EmptyFrame1920(benchmark::State& state) {
    Run(state, 1920, 1080, false);
}
void FullFrame800(benchmark::State& state) {
    Run(state, 800, 600, true);
}
void FullFrame1920(benchmark::State& state) {
    Run(state, 1920, 1080, true);
}

}  // namespace

BENCHMARK(EmptyFrame800)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(EmptyFrame1920)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FullFrame800)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FullFrame1920)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    chat.reset();
    for (DXG::Texture& t : floorTextures) t.SRFree();
    ResetProcessState();
    bench::CloseGraphics(window);
    return 0;
}
