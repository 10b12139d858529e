// The inspector's documented output, from the built velm-tool run in a folder of test-made files.
#include <sys/stat.h>

#include "DataTestFiles.h"

namespace {
class VelmToolTest : public DataFileTest {
protected:
    // Runs the tool with the words (already shell-quoted); stdout goes to out.txt, stderr to err.txt.
    static int Run(const std::string& words) {
        return RunCommand(BuiltProgram("tools/velm-tool/velm-tool").string() + " " + words +
                          " >out.txt 2>err.txt");
    }
    static std::string Out() { return ReadTextFile("out.txt"); }
    static std::string Err() { return ReadTextFile("err.txt"); }
};

TEST_F(VelmToolTest, MapPrintsHeaderAndStoredCellsOrTheClientsMessage) {
    Write("room.map", MapFileBytes(3, 4));
    ASSERT_EQ(Run("map room.map --cells"), 0);
    const std::string out = Out();
    EXPECT_EQ(out.substr(0, 44), "width: 3\nheight: 4\ngrid: 7\nstored cells: 12\n");
    // File cell (2, 3) lands at grid (3, 2): floor 1 + 200 + 3, object 1203, walls (17 % 3, 17 % 4).
    EXPECT_NE(out.find("\n3 2 204 1203 2 1\n"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4 + 12);

    Write("bad.map", "MAP V01.10 Velmoria\nheight=-1\nwidth=2\nBODY\n");
    EXPECT_EQ(Run("map bad.map"), 1);
    EXPECT_EQ(Out(), "");
    EXPECT_EQ(Err(), "Error: Map size out of range (width 2, height -1) in map file: bad.map\n");
    EXPECT_EQ(Log(), Err());
}

TEST_F(VelmToolTest, SpkAndAvatar) {
    Write("floors.spk", SpkFileBytes({{2, 3, {{5, 6}, {3, 4}, {1, 2}}}, PatternShape(4, 1, 200)}));
    ASSERT_EQ(Run("spk floors.spk"), 0);
    EXPECT_EQ(Out(), "shapes: 2\n0: 2x3 key 5\n1: 4x1 key 200\n");
    ASSERT_EQ(Run("spk floors.spk 0"), 0);
    EXPECT_EQ(Out(), "shapes: 2\n0: 2x3 key 5\n5 6\n3 4\n1 2\n");
    EXPECT_EQ(Run("spk floors.spk 2"), 2);
    EXPECT_EQ(Out(), "");                           // a failure prints nothing to stdout
    ASSERT_EQ(Run("avatar '0123456789' ' D'"), 0);  // frame 36: group 1, v 16
    EXPECT_EQ(
        Out(),
        "colors: 16 17 18 19 20 21 22 23 24 25\nframe: 36\ngroup: 1\nvariant: 0\npose: 4\ndirection: 0\n");
    EXPECT_EQ(Run("nonsense"), 2);
}
TEST_F(VelmToolTest, AFileThatCannotBeUsedEndsWithOneAndPrintsNothing) {
    std::filesystem::create_directories("folder/colors.txt");
    ::mkfifo("fifo.pcx", 0600);
    const char* rows[] = {"colors missing-dir", "colors folder", "pcx missing.pcx",
                          "pcx folder",         "pcx fifo.pcx",  "profiles missing-dir"};
    for (const char* words : rows) {
        SCOPED_TRACE(words);
        EXPECT_EQ(Run(words), 1);
        EXPECT_EQ(Out(), "");
        EXPECT_NE(Err(), "");  // the reader's own message, or the tool's
    }
}
}  // namespace
