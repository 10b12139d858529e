// The demo world that make-demo writes for the stand-in servers: the same bytes on every run, and files
// the client's own readers take without a complaint.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "data/ColorTables.h"
#include "data/PcxPalette.h"
#include "data/ProfileList.h"
#include "data/SpkArchive.h"
#include "data/WorldMap.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
namespace fs = std::filesystem;

std::set<fs::path> FilesUnder(const fs::path& root) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root));
    }
    return files;
}

TEST(GameServerDemoWorld, SameBytesOnEveryRunAndEveryFileReadsCleanly) {
    ResetProcessState();
    ScratchFolder scratch("demo");
    const fs::path first = scratch.path() / "one", second = scratch.path() / "two";
    const std::string program = BuiltProgram("tools/make-demo/make-demo").string();
    for (const fs::path& out : {first, second}) {
        ASSERT_EQ(RunCommand("'" + program + "' '" + (out / "game").string() + "' '" +
                             (out / "dreams").string() + "'"),
                  0);
    }
    const std::set<fs::path> files = FilesUnder(first);
    ASSERT_EQ(files, FilesUnder(second));
    for (const fs::path& file : files) {
        EXPECT_EQ(ReadTextFile(first / file), ReadTextFile(second / file)) << file;
    }

    WorkingDirectory inGame(first / "game");
    ClearLog(errorLog);
    EXPECT_EQ(FindProfiles().size(), 3u);

    SpkArchive floors;
    ASSERT_TRUE(floors.load("patches\\default\\floors.spk"));
    ASSERT_GE(floors.shapeCount(), 16);
    FloorPaletteEntries palette{};
    loadPcxPalette("patches\\default\\meadow.pcx", palette);
    EXPECT_GE(std::set<std::uint32_t>(palette.begin(), palette.end()).size(), 200u);
    loadColorTables("data\\colors\\");

    WorldMap map;
    ASSERT_TRUE(map.load("maps\\meadowcross.map"));
    EXPECT_GE(map.fileWidth(), 60);
    EXPECT_GE(map.fileHeight(), 60);

    // Dream markers stand on open floor, each with its file for the file server.
    std::ifstream world("server/world.txt");
    int dreams = 0;
    for (std::string line; std::getline(world, line);) {
        std::istringstream in(line);
        std::string keyword, id;
        std::int32_t x = 0, y = 0, gx = 0, gy = 0;
        if (!(in >> keyword) || keyword != "dream") continue;
        in >> x >> y >> id;
        ++dreams;
        map.fileToGrid(x, y, gx, gy);
        EXPECT_EQ(map.getObject(gx, gy), 0) << line;
        EXPECT_TRUE(fs::is_regular_file(first / "dreams" / (id + ".dream"))) << line;
    }
    EXPECT_GE(dreams, 3);
    EXPECT_EQ(LogText(errorLog), "");
    ResetProcessState();
}

}  // namespace
