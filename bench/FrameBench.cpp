// A full client frame on the OpenGL device at 800 x 600: the bench world of the reference pictures (a
// whole 31 x 31 window of floors from 16 textures, walls on both edges of every cell, an object on every
// other cell, the hover square, 100 avatars, 20 dream markers with labels) and a full chat window (20
// lines of 87 characters). Every frame is measured in wall time (llvmpipe's threads make the picture, not
// the main thread) and read as a ratio to QuadFrame of the same run, one opaque texture over the whole
// screen: the fill floor. Run under a display (xvfb-run). Each frame reports the draw calls that reach
// OpenGL per frame.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchGraphics.h"
#include "data/WorldMap.h"
#include "gfx/CTextWindow.h"
#include "gfx/DXG.h"
#include "net/VelmDataManager.h"
#include "runtime/ProcessState.h"
#include "support/ReferenceWorlds.h"
#include "world/VelmRenderer.h"

namespace {

void* window = nullptr;

// OpenGL draw calls counted on their way to the driver: the loader's entry points are replaced by
// counting ones once the frame has resolved them.
std::uint64_t glDraws = 0;
PFNGLDRAWARRAYSPROC realDrawArrays = nullptr;
PFNGLDRAWELEMENTSPROC realDrawElements = nullptr;
void EPOXY_CALLSPEC CountDrawArrays(GLenum mode, GLint first, GLsizei count) {
    ++glDraws;
    realDrawArrays(mode, first, count);
}
void EPOXY_CALLSPEC CountDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    ++glDraws;
    realDrawElements(mode, count, type, indices);
}
void CountGlDraws() {
    if (realDrawArrays != nullptr) return;
    // Empty draws make the loader resolve both entry points before they are taken over.
    glDrawArrays(GL_POINTS, 0, 0);
    glDrawElements(GL_POINTS, 0, GL_UNSIGNED_SHORT, nullptr);
    while (glGetError() != GL_NO_ERROR) {
    }
    realDrawArrays = epoxy_glDrawArrays;
    epoxy_glDrawArrays = CountDrawArrays;
    realDrawElements = epoxy_glDrawElements;
    epoxy_glDrawElements = CountDrawElements;
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::vector<DXG::Texture> floorTextures;
std::unique_ptr<CTextWindow> chat;
DXG::Texture quadTexture;

enum class World { kNone, kBench, kFloors };
World built = World::kNone;

// Builds the world the benchmark draws, unless it is the one already built.
bool UseWorld(World world) {
    if (world == built) return true;
    for (DXG::Texture& t : floorTextures) t.SRFree();
    RemoveAllCharacters();
    RemoveAllDreamMarkers();
    built = world;
    return world == World::kBench ? reference::BuildBenchWorld(floorTextures)
                                  : reference::BuildFloorWorld(floorTextures);
}

bool StartGraphics() {
    if (window != nullptr) return true;
    if (!bench::OpenGraphics("FrameBench", &window)) return false;
    chat = reference::BenchChat();
    return reference::RampTexture(quadTexture, 5);
}

enum Content { kEmpty = 0, kWorld = 1, kChat = 2, kQuad = 4 };

// One opaque 64 x 64 texture stretched over the whole screen, blending and alpha test off: every pixel
// textured once, the least any picture that covers the screen can cost.
void DrawQuad() {
    gfx::Device* device = DXG::GetDevice();
    constexpr std::uint32_t white = 0xFFFFFFFF;
    const gfx::ScreenVertex quad[6] = {
        {-0.5f, -0.5f, 0.0f, 1.0f, white, 0.0f, 0.0f},  {799.5f, -0.5f, 0.0f, 1.0f, white, 1.0f, 0.0f},
        {-0.5f, 599.5f, 0.0f, 1.0f, white, 0.0f, 1.0f}, {-0.5f, 599.5f, 0.0f, 1.0f, white, 0.0f, 1.0f},
        {799.5f, -0.5f, 0.0f, 1.0f, white, 1.0f, 0.0f}, {799.5f, 599.5f, 0.0f, 1.0f, white, 1.0f, 1.0f},
    };
    device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 0);
    device->SetRenderState(gfx::RenderState::AlphaTestEnable, 0);
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetFVF(gfx::kFvfScreen);
    device->SetTexture(0, quadTexture.GetDeviceTexture());
    device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 2, quad, sizeof(gfx::ScreenVertex));
}

void Frame(int content) {
    if (!DXG::BeginFrame(0.01f, false, false)) return;
    DXG::Clear(0xff000000, true, true);
    if (content & kQuad) DrawQuad();
    if (content & kWorld) renderWorld();
    if (content & kChat) chat->Draw();
    DXG::EndFrame0();
    DXG::EndFrame1();
}

void Run(benchmark::State& state, int content, World world = World::kBench) {
    if (!StartGraphics() || !UseWorld(world)) {
        state.SkipWithError("no graphics");
        return;
    }
    Frame(content);  // the first frame builds the floors and resolves the GL entry points
    CountGlDraws();
    const std::uint64_t before = glDraws;
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) Frame(content);
    const double frames = double(state.iterations());
    state.counters["gl_draws_per_frame"] = double(glDraws - before) / frames;
    // The processor time of every thread, llvmpipe's included: on a machine shared with other work it
    // tells the frame's cost where wall time also counts the waits for a processor.
    state.counters["process_cpu_ms"] = (ProcessCpuSeconds() - cpuBefore) * 1000.0 / frames;
}

void EmptyFrame(benchmark::State& state) {
    Run(state, kEmpty);
}
void QuadFrame(benchmark::State& state) {
    Run(state, kQuad);
}
void FloorFrame(benchmark::State& state) {
    Run(state, kWorld, World::kFloors);
}
void ChatFrame(benchmark::State& state) {
    Run(state, kChat);
}
void WorldFrame(benchmark::State& state) {
    Run(state, kWorld);
}
void FullFrame(benchmark::State& state) {
    Run(state, kWorld | kChat);
}

}  // namespace

BENCHMARK(EmptyFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(QuadFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FloorFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ChatFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(WorldFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(FullFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    chat.reset();
    for (DXG::Texture& t : floorTextures) t.SRFree();
    quadTexture.SRFree();
    ResetProcessState();  // the world renderer, its label text and textures, the avatar and marker lists
    bench::CloseGraphics(window);
    return 0;
}
