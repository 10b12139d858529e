// A map change on the OpenGL device under the virtual display: a ";" server line naming a 200 x 200 map, with
// a floor archive of 256 shapes, through the logged-in protocol handler until the textures sit in the floor
// pass's slots; against the baseline of reading the same two files and filling 256 textures of 64 x 64 with
// plain locks and copies. Also the floor texture build alone: resampled on the processor, and drawn into a
// render target and read back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "client/ServerLines.h"
#include "data/PcxPalette.h"
#include "data/SpkArchive.h"
#include "data/WorldMap.h"
#include "gfx/DXG.h"
#include "platform/Window.h"
#include "runtime/ProcessState.h"
#include "testing/FloorReference.h"
#include "world/FloorTextures.h"
#include "world/VelmRenderer.h"

namespace {

constexpr int kMapSide = 200;  // file cells each way
constexpr int kShapes = 256;
const char* const kMapPath = "maps/bench.map";
const char* const kArchivePath = "patches/default/floors.spk";

void PutU16(std::string& out, unsigned value) {
    out += char(value & 0xFF);
    out += char(value >> 8 & 0xFF);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A game folder under the temporary folder with the map, the floor archive (62 x 31 diamonds) and a palette,
// made the working directory.
bool EnterGameFolder() {
    static const bool ready = [] {
        const std::filesystem::path root = std::filesystem::temp_directory_path() / "velm-mapchange-bench";
        std::string map = "MAP V01.10 Velmoria\nheight=" + std::to_string(kMapSide) +
                          "\nwidth=" + std::to_string(kMapSide) + "\nBODY\n";
        for (int i = 0; i < kMapSide * kMapSide; ++i) PutU16(map, unsigned(i * 7 % kShapes));  // floors
        for (int i = 0; i < kMapSide * kMapSide; ++i) PutU16(map, unsigned(i % 11 == 0 ? 1 + i % 50 : 0));
        for (int i = 0; i < kMapSide * kMapSide; ++i) map += {char(i % 5 == 0), char(i % 7 == 0)};
        WriteFile(root / kMapPath, map);

        std::string archive;
        PutU16(archive, kShapes);
        for (int k = 0; k < kShapes; ++k) PutU16(archive, 0);
        for (int k = 0; k < kShapes; ++k) {
            archive += {char(62), char(31), 0, 0};
            for (int y = 30; y >= 0; --y)  // stored bottom row first
                for (int x = 0; x < 62; ++x) {
                    const bool inside = std::abs(x - 30.5f) / 31.0f + std::abs(y - 15.0f) / 15.5f <= 1.0f;
                    archive += char(inside ? 1 + (x * 3 + y * 5 + k) % 255 : 0);
                }
        }
        WriteFile(root / kArchivePath, archive);

        std::string palette(128, '\0');
        for (int i = 0; i < 768; ++i) palette += char(i * 13);
        WriteFile(root / "patches/default/floors.pcx", palette);
        std::filesystem::current_path(root);
        return true;
    }();
    return ready;
}

void* Window() {
    static void* window = [] {
        void* w = nullptr;
        platform::WindowSettings settings{"MapChangeBench", "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &w) != platform::CreateWindowResult::Ok)
            return static_cast<void*>(nullptr);
        return w;
    }();
    return window;
}

// A fresh process on the OpenGL device in the game folder, with the palette loaded.
bool Start(benchmark::State& state) {
    ResetProcessState();
    if (!Window()) {
        state.SkipWithError("no display");
        return false;
    }
    DXG::Setup setup;
    if (!DXG::Init(Window(), &setup)) {
        state.SkipWithError("no OpenGL device");
        return false;
    }
    EnterGameFolder();
    loadPcxPalette("patches\\default\\floors.pcx");
    return true;
}

void BM_MapChangeLine(benchmark::State& state) {
    if (!Start(state)) return;
    createWorldRenderers();
    // Logged in: a greeting ending in "END", then the acknowledgement, each as a batch of received bytes.
    for (const std::string batch : {"Welcome END\n", "&&&&&&&&&&&&&\n"})
        HandleServerBytes(reinterpret_cast<const std::uint8_t*>(batch.data()), batch.size());
    const std::string line = std::string(";") + "maps\\bench.map";
    for (auto _ : state) HandleServerLine(line);
    int gridWidth = 0, gridHeight = 0;
    mapSize(gridWidth, gridHeight);
    if (gridWidth != 2 * kMapSide) state.SkipWithError("the map line did not load the map");
    destroyWorldRenderers();
    ResetProcessState();
}
BENCHMARK(BM_MapChangeLine)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// What a map change cannot do without: the two files read and 256 textures filled by lock and copy.
void BM_ReadFilesAndFillTextures(benchmark::State& state) {
    if (!Start(state)) return;
    const std::vector<std::uint32_t> pixels(64 * 64, 0xFF336699);
    for (auto _ : state) {
        const std::string map = ReadFile(kMapPath), archive = ReadFile(kArchivePath);
        benchmark::DoNotOptimize(map.data());
        benchmark::DoNotOptimize(archive.data());
        std::vector<DXG::Texture> textures(kShapes);
        for (DXG::Texture& texture : textures) {
            texture.Create(64, 64, DXG::OPAQUE);
            gfx::LockedRect lock;
            const auto device = texture.GetDeviceTexture();
            if (!device || device->LockRect(0, &lock, gfx::kLockNone) != gfx::Result::Ok) continue;
            for (int y = 0; y < 64; ++y)
                memcpy(static_cast<char*>(lock.bits) + y * lock.pitch, pixels.data() + y * 64, 64 * 4);
            device->UnlockRect(0);
        }
    }
    ResetProcessState();
}
BENCHMARK(BM_ReadFilesAndFillTextures)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

template <bool (*Build)(const SpkArchive&, std::vector<DXG::Texture>&)>
void BM_FloorTextures(benchmark::State& state) {
    if (!Start(state)) return;
    SpkArchive archive;
    archive.load(kArchivePath);
    std::vector<DXG::Texture> textures;
    for (auto _ : state) Build(archive, textures);
    textures.clear();
    ResetProcessState();
}
BENCHMARK(BM_FloorTextures<BuildFloorTextures>)
    ->Name("BM_FloorTexturesProcessor")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();
BENCHMARK(BM_FloorTextures<BuildFloorTexturesByRenderTarget>)
    ->Name("BM_FloorTexturesRenderTarget")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
