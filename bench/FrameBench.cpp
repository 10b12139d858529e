// A full client frame on the OpenGL device at 800 x 600: a whole 31 x 31 window of floors from 16
// textures, walls on both edges of every cell, an object on every other cell, the hover square, 100
// avatars, 20 dream markers with labels and a full chat window (20 lines of 87 characters), against the
// empty frame (begin, clear, end, present) of the same run. Run under a display (xvfb-run); the ratio is
// FullFrame / EmptyFrame. Each world benchmark reports the draw calls that reach OpenGL per frame.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdio>
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
constexpr int kHalf = 30;  // the map is a grid of side 60, the player in its middle
constexpr int kCentre = 30;

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

std::string ChatLine(int n) {
    std::string line = "[" + std::to_string(n) + "] ";
    while (line.size() < 87) line += char('a' + (line.size() * 7 + n) % 26);
    return line;
}

std::vector<DXG::Texture> floorTextures(16);
CTextWindow* chat = nullptr;

// The world of the benchmark around the player's cell (30, 30).
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
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                static_cast<std::uint32_t*>(rect.bits)[y * rect.pitch / 4 + x] =
                    0xFF000000u | std::uint32_t((x * 4 + i * 16) << 16 | (y * 4) << 8 | (i * 15));
            }
        }
        floorTextures[i].GetDeviceTexture()->UnlockRect(0);
    }
    createWorldRenderers();
    setFloorTextures(floorTextures);
    SetPlayerPosition(kCentre, kCentre);
    updateCamera(0.0f);
    setHoverCell(kCentre - 2, kCentre - 1);
    for (int i = 0; i < 100; ++i) {
        CharacterRecord avatar;
        avatar.x = kCentre - 15 + (i * 7) % 31;
        avatar.y = kCentre - 15 + (i * 13) % 31;
        avatar.direction = i % 4;
        avatar.colors[0] = std::int8_t(i % 64);
        avatar.colors[5] = std::int8_t((i * 3) % 64);
        AddCharacter(avatar);
    }
    for (int i = 0; i < 20; ++i) {
        AddDreamMarker({kCentre - 14 + (i * 11) % 29, kCentre - 14 + (i * 5) % 29,
                        "Dream " + std::to_string(i), "made by dreamer" + std::to_string(i)});
    }
    chat = new CTextWindow(50, 300, 700, 250, 100);
    for (int i = 0; i < 100; ++i) chat->AddText(ChatLine(i));
}

bool StartGraphics() {
    if (window != nullptr) return true;
    // The generated font, wall and dream textures lie in game/data beside the build's bench folder.
    std::filesystem::path game =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "game";
    std::error_code ignored;
    std::filesystem::current_path(game, ignored);
    platform::WindowSettings settings{"FrameBench", "VelmViewWindow", 800, 600};
    if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok) return false;
    DXG::Setup setup;  // windowed, vsync off
    if (!DXG::Init(window, &setup)) return false;
    BuildWorld();
    return true;
}

enum Content { kEmpty = 0, kWorld = 1, kChat = 2 };

void Frame(int content) {
    if (!DXG::BeginFrame(0.01f, false, false)) return;
    DXG::Clear(0xff000000, true, true);
    if (content & kWorld) renderWorld();
    if (content & kChat) chat->Draw();
    DXG::EndFrame0();
    DXG::EndFrame1();
}

void Run(benchmark::State& state, int content) {
    if (!StartGraphics()) {
        state.SkipWithError("no graphics");
        return;
    }
    Frame(content);  // the first frame builds the floors and resolves the GL entry points
    CountGlDraws();
    const std::uint64_t before = glDraws;
    for (auto _ : state) Frame(content);
    state.counters["gl_draws_per_frame"] = double(glDraws - before) / double(state.iterations());
}

void EmptyFrame(benchmark::State& state) {
    Run(state, kEmpty);
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

BENCHMARK(EmptyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(ChatFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(WorldFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullFrame)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete chat;
    for (DXG::Texture& t : floorTextures) t.SRFree();
    ResetProcessState();  // the world renderer, its label text and textures, the avatar and marker lists
    DXG::Shutdown();
    platform::DestroyAppWindow(window);
    return 0;
}
