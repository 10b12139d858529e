// Builders for the game data files the tests write (map files, SPK archives), and a fixture that runs each
// data test in an empty folder of its own with an empty _error.txt and emptied data services.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/ColorTables.h"
#include "data/PcxPalette.h"
#include "data/PlayerProfile.h"
#include "data/WorldMap.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        std::replace(name.begin(), name.end(), '/', '_');
        m_folder.emplace(name);
        m_cwd.emplace(m_folder->path());
        ClearLog(errorLog);
        ResetProcessState();
    }
    static void Write(const std::string& path, const std::string& bytes) { WriteTextFile(path, bytes); }
    static std::string Log() { return LogText(errorLog); }

private:
    std::optional<ScratchFolder> m_folder;
    std::optional<WorkingDirectory> m_cwd;  // declared last: left first
};

inline void PutU16(std::string& out, unsigned value) {
    out += {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

// Floor, object, low X wall and low Y wall of file cell (x, y) in the maps MapFileBytes writes.
inline std::vector<unsigned> MapCellValues(int x, int y) {
    const auto v = static_cast<unsigned>(x * 100 + y);
    return {1 + v, 1000 + v, static_cast<unsigned>((x * 7 + y) % 3), static_cast<unsigned>((x + y * 5) % 4)};
}

// A map of width x height file cells: floors, objects, then per column its low X walls and low Y walls.
inline std::string MapFileBytes(int width, int height) {
    std::string floors, objects, walls;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            const std::vector<unsigned> cell = MapCellValues(x, y);
            PutU16(floors, cell[0]), PutU16(objects, cell[1]), walls += static_cast<char>(cell[2]);
        }
        for (int y = 0; y < height; ++y) walls += static_cast<char>(MapCellValues(x, y)[3]);
    }
    return "MAP V01.10 Velmoria\nheight=" + std::to_string(height) + "\nwidth=" + std::to_string(width) +
           "\nother=1\nBODY\n" + floors + objects + walls;
}

// One SPK shape, rows listed top row first here; the file stores them bottom row first.
struct SpkShapeLayout {
    int width = 0, height = 0;
    std::vector<std::vector<std::uint8_t>> rowsTopFirst;
};

// The offset table and the two bytes after each size are skipped by the reader: filled with 0xBEEF and 0x5A.
inline std::string SpkFileBytes(const std::vector<SpkShapeLayout>& shapes) {
    std::string out;
    PutU16(out, static_cast<unsigned>(shapes.size()));
    for (std::size_t i = 0; i < shapes.size(); ++i) PutU16(out, 0xBEEF);
    for (const SpkShapeLayout& shape : shapes) {
        out += {static_cast<char>(shape.width), static_cast<char>(shape.height), '\x5A', '\x5A'};
        for (auto row = shape.rowsTopFirst.rbegin(); row != shape.rowsTopFirst.rend(); ++row)
            out.append(row->begin(), row->end());
    }
    return out;
}

// A shape of width x height whose pixel (column c, row r from the top) is (seed + 3r + c) mod 256.
inline SpkShapeLayout PatternShape(int width, int height, int seed) {
    SpkShapeLayout shape{width, height, {}};
    for (int r = 0; r < height; ++r) {
        shape.rowsTopFirst.emplace_back();
        for (int c = 0; c < width; ++c)
            shape.rowsTopFirst.back().push_back(static_cast<std::uint8_t>(seed + 3 * r + c));
    }
    return shape;
}
