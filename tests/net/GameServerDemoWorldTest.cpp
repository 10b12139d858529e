// The demo world that make-demo writes: the same bytes on every run, and each dream marker on open floor
// with its file for the file server.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "data/WorldMap.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
namespace fs = std::filesystem;

std::set<fs::path> FilesUnder(const fs::path& root) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), root));
    return files;
}

TEST(GameServerDemoWorld, SameBytesOnEveryRunAndDreamsOnOpenFloor) {
    ResetProcessState();
    ScratchFolder scratch("demo");
    const fs::path first = scratch.path() / "one", second = scratch.path() / "two";
    const std::string program = BuiltProgram("tools/make-demo/make-demo").string();
    for (const fs::path& out : {first, second})
        ASSERT_EQ(RunCommand("'" + program + "' '" + (out / "game").string() + "' '" +
                             (out / "dreams").string() + "'"),
                  0);
    const std::set<fs::path> files = FilesUnder(first);
    ASSERT_EQ(files, FilesUnder(second));
    for (const fs::path& file : files)
        EXPECT_EQ(ReadTextFile(first / file), ReadTextFile(second / file)) << file;

    WorkingDirectory inGame(first / "game");
    WorldMap map;
    ASSERT_TRUE(map.load("maps\\meadowcross.map"));
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
    ResetProcessState();
}

}  // namespace
