// Loading speed of the two large game data files, each against reading the same file's bytes into memory
// in one call: loadMapFile on a map of W = H = 1000 (grid side 2000), SpkArchive::load on 4000 shapes of
// 64 x 32. Compare BM_LoadMap with BM_ReadMapBytes and BM_LoadSpk with BM_ReadSpkBytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/SpkArchive.h"
#include "data/WorldMap.h"

namespace {
const std::string kMapFile = "bench_data_map.map";
const std::string kSpkFile = "bench_data_floors.spk";

void PutU16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

void WriteMapFile() {
    constexpr int kSide = 1000;
    std::string out = "MAP V01.10 Velmoria\nheight=1000\nwidth=1000\nBODY\n";
    for (int section = 0; section < 2; ++section) {
        for (int i = 0; i < kSide * kSide; ++i) {
            PutU16(out, static_cast<unsigned>((i * 7 + section) & 0xFFFF));
        }
    }
    for (int i = 0; i < 2 * kSide * kSide; ++i) {
        out += static_cast<char>(i % 3 == 0);
    }
    WriteFile(kMapFile, out);
}

void WriteSpkFile() {
    constexpr int kShapes = 4000;
    std::string out;
    PutU16(out, kShapes);
    for (int k = 0; k < kShapes; ++k) {
        PutU16(out, 0);
    }
    for (int k = 0; k < kShapes; ++k) {
        out += {64, 32, 0, 0};
        for (int i = 0; i < 64 * 32; ++i) {
            out += static_cast<char>((i + k) & 0xFF);
        }
    }
    WriteFile(kSpkFile, out);
}

// The baseline: the whole file into memory with one read.
void ReadBytes(benchmark::State& state, const std::string& name) {
    for (auto _ : state) {
        std::FILE* file = std::fopen(name.c_str(), "rb");
        std::fseek(file, 0, SEEK_END);
        std::vector<char> bytes(static_cast<std::size_t>(std::ftell(file)));
        std::fseek(file, 0, SEEK_SET);
        benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_ReadMapBytes(benchmark::State& state) {
    ReadBytes(state, kMapFile);
}
void BM_LoadMap(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(loadMapFile(kMapFile));
    }
}
void BM_ReadSpkBytes(benchmark::State& state) {
    ReadBytes(state, kSpkFile);
}
void BM_LoadSpk(benchmark::State& state) {
    for (auto _ : state) {
        SpkArchive archive;
        benchmark::DoNotOptimize(archive.load(kSpkFile));
        benchmark::DoNotOptimize(archive.shapeCount());
    }
}

BENCHMARK(BM_ReadMapBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSpkBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSpk)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
    WriteMapFile();
    WriteSpkFile();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(kMapFile);
    std::filesystem::remove(kSpkFile);
    return 0;
}
