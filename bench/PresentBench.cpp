// Present into a window of any size: the full world frame (a 31 x 31 window of floors with walls and
// objects, 100 avatars, 20 dream markers, a full chat window) drawn at 800 x 600 and presented into an
// 800 x 600 window, against the same frame presented scaled into a 1920 x 1080 window (one filtered copy
// with bars). Empty frames at both sizes show the present's own cost. Run under a display large enough
// for the big window (xvfb-run -s "-screen 0 1920x1080x24"); the ratio is FullFrame1920 / FullFrame800.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/WorldMap.h"
#include "gfx/CTextWindow.h"
#include "gfx/DXG.h"
#include "net/VelmDataManager.h"
#include "platform/Window.h"
#include "runtime/ProcessState.h"
#include "world/VelmRenderer.h"

namespace {

void* window = nullptr;
constexpr int kHalf = 30;
std::vector<DXG::Texture> floorTextures(16);
CTextWindow* chat = nullptr;

void BuildWorld() {
    std::string map = "MAP V01.10 Velmoria\nheight=" + std::to_string(kHalf) +
                      "\nwidth=" + std::to_string(kHalf) + "\nBODY\n" + std::string(6 * kHalf * kHalf, '\0');
    CurrentMap().loadBytes(reinterpret_cast<const std::uint8_t*>(map.data()), map.size(), "bench.map");
    for (int y = 0; y < 2 * kHalf; ++y) {
        for (int x = 0; x < 2 * kHalf; ++x) {
            setFloor(x, y, std::uint16_t((x * 7 + y * 3) % 16));
            setObject(x, y, (x + y) % 2 ? 12 : 0);
            setWallLowX(x, y, 1);
            setWallLowY(x, y, 1);
        }
    }
    for (int i = 0; i < 16; ++i) {
        floorTextures[i].Create(64, 64, DXG::OPAQUE);
        gfx::LockedRect rect;
        if (!gfx::Succeeded(floorTextures[i].GetDeviceTexture()->LockRect(0, &rect, gfx::kLockNone)))
            continue;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                static_cast<std::uint32_t*>(rect.bits)[y * rect.pitch / 4 + x] =
                    0xFF000000u | std::uint32_t((x * 4 + i * 16) << 16 | (y * 4) << 8 | (i * 15));
        floorTextures[i].GetDeviceTexture()->UnlockRect(0);
    }
    createWorldRenderers();
    setFloorTextures(floorTextures);
    SetPlayerPosition(kHalf, kHalf);
    updateCamera(0.0f);
    setHoverCell(kHalf - 2, kHalf - 1);
    for (int i = 0; i < 100; ++i) {
        CharacterRecord avatar;
        avatar.x = kHalf - 15 + (i * 7) % 31;
        avatar.y = kHalf - 15 + (i * 13) % 31;
        avatar.direction = i % 4;
        AddCharacter(avatar);
    }
    for (int i = 0; i < 20; ++i)
        AddDreamMarker({kHalf - 14 + (i * 11) % 29, kHalf - 14 + (i * 5) % 29, "Dream " + std::to_string(i),
                        "made by dreamer" + std::to_string(i)});
    chat = new CTextWindow(50, 300, 700, 250, 1000);
    for (int i = 0; i < 100; ++i)
        chat->AddText("[" + std::to_string(i) + "] " + std::string(80, 'a' + i % 26));
}

bool StartGraphics() {
    if (window != nullptr) return true;
    std::filesystem::path game =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "game";
    std::error_code ignored;
    std::filesystem::current_path(game, ignored);
    platform::WindowSettings settings{"PresentBench", "VelmViewWindow", 800, 600};
    if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok) return false;
    platform::ShowAppWindow(window);
    DXG::Setup setup;  // windowed, vsync off
    if (!DXG::Init(window, &setup)) return false;
    BuildWorld();
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

BENCHMARK(EmptyFrame800)->Unit(benchmark::kMicrosecond);
BENCHMARK(EmptyFrame1920)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullFrame800)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullFrame1920)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete chat;
    for (DXG::Texture& t : floorTextures) t.SRFree();
    ResetProcessState();
    DXG::Shutdown();
    platform::DestroyAppWindow(window);
    return 0;
}
