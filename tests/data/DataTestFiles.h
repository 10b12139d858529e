// Builders for the game data files the data tests write: map files and SPK archives as bytes, and a
// fixture that gives each test an empty folder as its working directory with an empty _error.txt.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/TestSupport.h"

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        m_folder = std::make_unique<ScratchFolder>(name);
        m_cwd = std::make_unique<WorkingDirectory>(m_folder->path());
        ClearLog(errorLog);
    }
    void TearDown() override {
        m_cwd.reset();
        m_folder.reset();
    }

    static void Write(const std::string& nativePath, const std::string& bytes) {
        WriteTextFile(nativePath, bytes);
    }
    static std::string Log() { return LogText(errorLog); }

private:
    std::unique_ptr<ScratchFolder> m_folder;
    std::unique_ptr<WorkingDirectory> m_cwd;
};

inline void PutU16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

// A map file of W x H cells. floor/object/wallX/wallY give each file cell's value (x, y).
struct MapFileLayout {
    int width = 0;
    int height = 0;
    std::string magic = "MAP V01.10 Velmoria";
    std::string lineEnd = "\n";
    std::vector<std::string> extraLines = {"other=1"};
    unsigned (*floor)(int x, int y) = [](int x, int y) { return static_cast<unsigned>(1 + x * 100 + y); };
    unsigned (*object)(int x, int y) = [](int x, int y) { return static_cast<unsigned>(1000 + x * 100 + y); };
    unsigned (*wallX)(int x, int y) = [](int x, int y) { return static_cast<unsigned>((x * 7 + y) % 3); };
    unsigned (*wallY)(int x, int y) = [](int x, int y) { return static_cast<unsigned>((x + y * 5) % 4); };
};

inline std::string MapFileHeader(const MapFileLayout& layout) {
    std::string out = layout.magic + layout.lineEnd;
    out += "height=" + std::to_string(layout.height) + layout.lineEnd;
    out += "width=" + std::to_string(layout.width) + layout.lineEnd;
    for (const std::string& line : layout.extraLines) {
        out += line + layout.lineEnd;
    }
    out += "BODY" + layout.lineEnd;
    return out;
}

inline std::string MapFileBody(const MapFileLayout& layout) {
    std::string out;
    for (int x = 0; x < layout.width; ++x) {
        for (int y = 0; y < layout.height; ++y) {
            PutU16(out, layout.floor(x, y));
        }
    }
    for (int x = 0; x < layout.width; ++x) {
        for (int y = 0; y < layout.height; ++y) {
            PutU16(out, layout.object(x, y));
        }
    }
    for (int x = 0; x < layout.width; ++x) {
        for (int y = 0; y < layout.height; ++y) {
            out += static_cast<char>(layout.wallX(x, y));
        }
        for (int y = 0; y < layout.height; ++y) {
            out += static_cast<char>(layout.wallY(x, y));
        }
    }
    return out;
}

inline std::string MapFileBytes(const MapFileLayout& layout) {
    return MapFileHeader(layout) + MapFileBody(layout);
}

// One SPK shape as the file stores it: rows listed top row first here, written bottom row first.
struct SpkShapeLayout {
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::uint8_t>> rowsTopFirst;
};

inline std::string SpkFileBytes(const std::vector<SpkShapeLayout>& shapes, unsigned skippedValue = 0xBEEF,
                                unsigned char skippedByte = 0x5A) {
    std::string out;
    PutU16(out, static_cast<unsigned>(shapes.size()));
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        PutU16(out, skippedValue);
    }
    for (const SpkShapeLayout& shape : shapes) {
        out += static_cast<char>(shape.width);
        out += static_cast<char>(shape.height);
        out += static_cast<char>(skippedByte);
        out += static_cast<char>(skippedByte);
        for (auto row = shape.rowsTopFirst.rbegin(); row != shape.rowsTopFirst.rend(); ++row) {
            out.append(row->begin(), row->end());
        }
    }
    return out;
}

// A shape of w x h whose pixel (column c, row r from the top) is (seed + 3r + c) mod 256.
inline SpkShapeLayout PatternShape(int width, int height, int seed) {
    SpkShapeLayout shape{width, height, {}};
    for (int r = 0; r < height; ++r) {
        std::vector<std::uint8_t> row;
        for (int c = 0; c < width; ++c) {
            row.push_back(static_cast<std::uint8_t>(seed + 3 * r + c));
        }
        shape.rowsTopFirst.push_back(row);
    }
    return shape;
}
