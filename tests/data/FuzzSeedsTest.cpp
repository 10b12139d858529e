// Writes the seed inputs of the data fuzz targets to this test's folder (with VELM_WRITE_SEEDS=1 also to
// fuzz/seeds/ of the source tree); WorldMapTest shows the whole map seed loads.
#include <cstdlib>
#include <filesystem>

#include "DataTestFiles.h"
#include "data/AvatarCode.h"

namespace {
struct Seed {
    const char* target;
    const char* name;
    std::string bytes;
};

std::string ColorSeed(const std::string& colors, const std::string& part) {
    // The target gives the first half of its input to colors.txt: pad the shorter file with blanks.
    const std::size_t half = std::max(colors.size(), part.size());
    return colors + std::string(half - colors.size(), ' ') + part + std::string(half - part.size(), ' ');
}

std::vector<Seed> Seeds() {
    const std::string map = MapFileBytes(3, 4);
    const std::string spk =
        SpkFileBytes({PatternShape(4, 3, 1), PatternShape(2, 2, 9), PatternShape(0, 3, 0)});
    std::string pcx(128, '\x0A');
    for (int i = 0; i < 256; ++i)
        pcx += {static_cast<char>(i), static_cast<char>(i / 2), static_cast<char>(255 - i)};
    return {
        {"Map", "room.map", map},
        {"Map", "crlf.map", MapFileBytes(3, 4, "\r\n")},
        {"Map", "short.map", map.substr(0, map.size() - 20)},
        {"Spk", "three.spk", spk},
        {"Spk", "cut.spk", spk.substr(0, spk.size() - 5)},
        {"PcxPalette", "palette.pcx", pcx},
        {"PcxPalette", "short.pcx", pcx.substr(0, 300)},
        {"ColorTables", "tables.txt",
         ColorSeed("red 255 0 0\nsky 16 32 48\nEnd\n", "0 red\n63 sky\n64 red\n5 x -1\n")},
        {"ColorTables", "noend.txt", ColorSeed("red 255 0 0", "0 red 1 red")},
        {"PlayerProfile", "bob.ini",
         "V1.6\r\nName=Bob\r\nPassword=pw\r\nColors=0123456789\r\nDesc=A cat\r\nSpec=37\r\n"},
        {"PlayerProfile", "gap.ini", "V1.5\nName=Bob\n\nSpec=3\n"},
        {"AvatarCode", "walk.txt", "\x0A" + std::string("0123456789") + encodeBase95(45, true)},
        {"AvatarCode", "group5.txt", "\x0C" + std::string("!!!!!!!!!!~~") + encodeBase95(630, true)},
    };
}

using FuzzSeedsTest = DataFileTest;

TEST_F(FuzzSeedsTest, SeedsAreWritten) {
    const char* source = std::getenv("VELM_SOURCE_DIR");
    const char* write = std::getenv("VELM_WRITE_SEEDS");
    const bool toSource = source != nullptr && write != nullptr && std::string(write) == "1";
    for (const Seed& seed : Seeds()) {
        const std::string relative = std::string("seeds/") + seed.target + "/" + seed.name;
        Write(relative, seed.bytes);
        if (toSource) Write(std::string(source) + "/fuzz/" + relative, seed.bytes);
    }
}
}  // namespace
