// Colour tables: named colours, the ten part files read token by token, and every message.
#include "DataTestFiles.h"
#include "data/ColorTables.h"
#include "runtime/ProcessState.h"

namespace {
const std::string kWrong = "Error in file data\\colors\\colors.txt, some colors may be wrong...\n";

class ColorTablesTest : public DataFileTest {
protected:
    // Empties the tables and the log, writes the files (cape.txt as given) and loads them.
    static void Load(const std::string& colors, const std::string& name, const char* cape = nullptr) {
        ResetProcessState();
        ClearLog(errorLog);
        WriteFiles(colors, name);
        if (cape != nullptr) Write("data/colors/cape.txt", cape);
        loadColorTables();
    }
    // Writes colors.txt and every part file as "0 NAME -1".
    static void WriteFiles(const std::string& colors, const std::string& name) {
        Write("data/colors/colors.txt", colors);
        for (const char* part :
             {"badge", "bracer", "boot", "cape", "eye", "fur", "hair", "marking", "pants", "vest"})
            Write(std::string("data/colors/") + part + ".txt", "0 " + name + " -1\n");
    }
};

TEST_F(ColorTablesTest, LoadsNamedColoursIntoAllTenTables) {
    WriteFiles("red 255 0 0\nsky\t16  32\n48 End ignored 1 2 3\n", "red");
    Write("data/colors/fur.txt", "0 red\n63 sky\n-1");
    Write("data/colors/vest.txt", "5 sky -1 1 red");  // nothing after the negative index is read
    loadColorTables();
    EXPECT_EQ(Log(), "");
    const auto fur = GetPartColorTable(kFur), vest = GetPartColorTable(kVest);
    EXPECT_EQ((std::vector{GetPartColorTable(kBadge)[0], fur[0], fur[63], fur[1], vest[5], vest[1], vest[0]}),
              (std::vector<std::uint32_t>{0xFF0000, 0xFF0000, 0x102030, 0, 0x102030, 0, 0}));
}

// The colour "c" has afterwards (0 when it is not among the pairs), and whether the file is reported.
TEST_F(ColorTablesTest, ColourFileComponentsAndEndRules) {
    const std::tuple<const char*, std::uint32_t, bool> cases[] = {
        {"c 1 2 3 End", 0x00010203u, false},
        {"c 300 1 2\nEnd\n", 0x002C0102u, false},  // components are cut to their low eight bits
        {"c 1 2 3", 0u, true},                     // B is the very last token: dropped
        {"c 1 x 3 End", 0u, true},                 // not a number: the list ends there
        {"End c 1 2 3", 0u, false}};  // no pairs at all: the part files are skipped without a message
    for (const auto& [text, colour, reported] : cases) {
        Load(text, "c");
        EXPECT_EQ(GetPartColorTable(kBadge)[0], colour) << text;
        EXPECT_TRUE(reported ? Log().find(kWrong) != std::string::npos : Log().empty()) << text << Log();
    }
}

TEST_F(ColorTablesTest, PartFilePairsAndMessages) {
    const std::string error = "Error in file data\\colors\\cape.txt\n";
    const std::tuple<const char*, std::uint32_t, std::uint32_t, std::string> cases[] = {
        {"0 red 63 red -1", 0xFF0000u, 0xFF0000u, ""},
        {"64 red -1", 0, 0, "Color index too high (64) in file data\\colors\\cape.txt...  ignoring it.\n"},
        {"0 blue\n-5\n", 0, 0, "No such color (blue), referanced in file data\\colors\\cape.txt\n"},
        {"", 0, 0, error},
        {"0 red x red -1", 0xFF0000u, 0, error}};
    for (const auto& [text, entry0, entry63, log] : cases) {
        Load("red 255 0 0 End", "red", text);
        EXPECT_EQ(GetPartColorTable(kCape)[0], entry0) << text;
        EXPECT_EQ(GetPartColorTable(kCape)[63], entry63) << text;
        EXPECT_EQ(Log(), log) << text;
    }
}

TEST_F(ColorTablesTest, MissingOrEmptyFilesKeepTheTablesAndAreReported) {
    const auto reload = [] {
        ClearLog(errorLog);
        loadColorTables();
        return Log();
    };
    Load("c 1 2 3 End", "c");
    std::filesystem::remove("data/colors/colors.txt");
    Write("data/colors/fur.txt", "0 d -1");  // would empty the table if it were read
    EXPECT_EQ(reload(), "Failed to open data\\colors\\colors.txt to load color pairs.\n");
    Write("data/colors/colors.txt", "");
    EXPECT_EQ(reload(), kWrong);
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00010203u);
}

TEST_F(ColorTablesTest, PartColourClampsIndicesToTheTable) {
    Load("a 0 0 1 b 0 0 2 End", "a", "0 a 63 b -1");
    const std::pair<int, std::uint32_t> cases[] = {{0, 1u}, {-128, 1u}, {63, 2u}, {95, 2u}, {127, 2u}};
    for (const auto& [index, colour] : cases) EXPECT_EQ(PartColor(kCape, index), colour) << index;
}
}  // namespace
