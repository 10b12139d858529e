// Frames per second of an empty frame (BeginFrame, Clear, EndFrame0, EndFrame1) on the OpenGL device under
// the virtual display with vsync off: the baseline that world rendering is measured against. Measured
// alongside: the present alone, and the frame over the recording device (the foundation's own cost).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "gfx/DXG.h"
#include "platform/Window.h"
#include "runtime/ProcessState.h"
#include "testing/DxgTesting.h"

namespace {

void* Window() {
    static void* window = [] {
        void* w = nullptr;
        platform::WindowSettings settings{"DeviceBench", "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &w) != platform::CreateWindowResult::Ok)
            return static_cast<void*>(nullptr);
        platform::ShowAppWindow(w);
        return w;
    }();
    return window;
}

bool StartGl(benchmark::State& state) {
    ResetProcessState();
    if (!Window()) {
        state.SkipWithError("no display");
        return false;
    }
    DXG::Setup setup;  // the program's: vsync off
    if (!DXG::Init(Window(), &setup)) {
        state.SkipWithError("no OpenGL device");
        return false;
    }
    return true;
}

void EmptyFrame(benchmark::State& state) {
    for (auto _ : state) {
        DXG::BeginFrame(0.001f, true, true);
        DXG::Clear(0xFF000000, true, true);
        DXG::EndFrame0();
        DXG::EndFrame1();
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EmptyFrameGl(benchmark::State& state) {
    if (!StartGl(state)) return;
    EmptyFrame(state);
    ResetProcessState();
}
BENCHMARK(BM_EmptyFrameGl)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// The present alone (the copy of the frame to the window and the buffer swap): the part of the empty frame
// that does not depend on what the frame holds.
void BM_PresentOnly(benchmark::State& state) {
    if (!StartGl(state)) return;
    for (auto _ : state) DXG::EndFrame1();
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    ResetProcessState();
}
BENCHMARK(BM_PresentOnly)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// Texture upload: a 256 x 256 A8R8G8B8 level written through a lock and sent to the device at unlock.
void BM_TextureUpload(benchmark::State& state) {
    if (!StartGl(state)) return;
    std::shared_ptr<gfx::Texture> texture;
    if (!gfx::Succeeded(DXG::GetDevice()->CreateTexture(256, 256, 1, 0, gfx::fmt::A8R8G8B8,
                                                        gfx::Pool::Managed, &texture))) {
        state.SkipWithError("texture not created");
        ResetProcessState();
        return;
    }
    uint32_t n = 0;
    for (auto _ : state) {
        gfx::LockedRect rect;
        texture->LockRect(0, &rect, gfx::kLockNone);
        auto* bytes = static_cast<uint8_t*>(rect.bits);
        for (uint32_t y = 0; y < 256; ++y)
            std::fill_n(bytes + size_t(y) * rect.pitch, 256 * 4, uint8_t(n + y));
        texture->UnlockRect(0);
        ++n;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 256 * 256 * 4);
    texture.reset();
    ResetProcessState();
}
BENCHMARK(BM_TextureUpload)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

// The foundation's own cost: the same frame over the recording device (no drawing at all).
void BM_EmptyFrameRecording(benchmark::State& state) {
    gfx::RecordingDevice* device = DXG::InitRecordingForTests();
    if (!device) {
        state.SkipWithError("recording device did not start");
        return;
    }
    int n = 0;
    for (auto _ : state) {
        DXG::BeginFrame(0.001f, true, true);
        DXG::Clear(0xFF000000, false, true);  // the recording device fills no pixels for a depth clear
        DXG::EndFrame0();
        DXG::EndFrame1();
        if (++n == 1000) {  // keep the record from growing without bound
            device->ClearRecord();
            n = 0;
        }
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    ResetProcessState();
}
BENCHMARK(BM_EmptyFrameRecording)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
