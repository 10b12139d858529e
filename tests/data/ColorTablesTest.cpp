// Colour tables: named colours, the ten part files read token by token, and every message.
#include "DataTestFiles.h"
#include "data/ColorTables.h"

namespace {
const std::string kWrong = "Error in file data\\colors\\colors.txt, some colors may be wrong...\n";

class ColorTablesTest : public DataFileTest {
protected:
    // Writes colors.txt and every part file as "0 NAME -1" (cape.txt as given), then loads them afresh.
    static void Load(const std::string& colors, const std::string& name, const char* cape = nullptr) {
        ResetProcessState();
        ClearLog(errorLog);
        Write("data/colors/colors.txt", colors);
        for (const char* part :
             {"badge", "bracer", "boot", "cape", "eye", "fur", "hair", "marking", "pants", "vest"})
            Write(std::string("data/colors/") + part + ".txt", "0 " + name + " -1\n");
        if (cape != nullptr) Write("data/colors/cape.txt", cape);
        loadColorTables();
    }
};

// The colour "c" has afterwards in all ten tables (0 when it is not among the pairs), and whether the
// file is reported.
TEST_F(ColorTablesTest, ColourFileComponentsAndEndRules) {
    const std::tuple<const char*, std::uint32_t, bool> cases[] = {
        {"c\t16  32\n48 End ignored 1 2 3", 0x00102030u, false},
        {"c 300 1 2\nEnd\n", 0x002C0102u, false},  // components are cut to their low eight bits
        {"c 1 2 3", 0u, true},                     // B is the very last token: dropped
        {"c 1 x 3 End", 0u, true},                 // not a number: the list ends there
        {"End c 1 2 3", 0u, false}};  // no pairs at all: the part files are skipped without a message
    for (const auto& [text, colour, reported] : cases) {
        Load(text, "c");
        for (int part = 0; part < kColorPartCount; ++part)
            EXPECT_EQ(GetPartColorTable(static_cast<ColorPart>(part))[0], colour) << text << " part " << part;
        EXPECT_TRUE(reported ? Log().find(kWrong) != std::string::npos : Log().empty()) << text << Log();
    }
}

TEST_F(ColorTablesTest, PartFilePairsAndMessages) {
    const std::string error = "Error in file data\\colors\\cape.txt\n";
    const std::tuple<const char*, std::uint32_t, std::uint32_t, std::string> cases[] = {
        {"0 red 63 red -1", 0xFF0000u, 0xFF0000u, ""},
        {"0 red -1 63 red", 0xFF0000u, 0, ""},  // nothing after the negative index is read
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

TEST_F(ColorTablesTest, MissingOrEmptyColourFileKeepsTheTablesAndIsReported) {
    Load("c 1 2 3 End", "c");
    std::filesystem::remove("data/colors/colors.txt");
    Write("data/colors/fur.txt", "0 d -1");  // would empty the table if it were read
    ClearLog(errorLog);
    loadColorTables();
    EXPECT_EQ(Log(), "Failed to open data\\colors\\colors.txt to load color pairs.\n");
    Write("data/colors/colors.txt", "");
    ClearLog(errorLog);
    loadColorTables();
    EXPECT_EQ(Log(), kWrong);
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00010203u);
}

TEST_F(ColorTablesTest, PartColourClampsIndicesToTheTable) {
    Load("a 0 0 1 b 0 0 2 End", "a", "0 a 63 b -1");
    const std::pair<int, std::uint32_t> cases[] = {{0, 1u}, {-128, 1u}, {63, 2u}, {127, 2u}};
    for (const auto& [index, colour] : cases) EXPECT_EQ(PartColor(kCape, index), colour) << index;
}
}  // namespace
