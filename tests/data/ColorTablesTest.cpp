// Colour tables: named colours, the ten part files read token by token, and every message.
#include "DataTestFiles.h"
#include "data/ColorTables.h"

namespace {
const std::string kWrong = "Error in file data\\colors\\colors.txt, some colors may be wrong...\n";

class ColorTablesTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        ResetColorTablesForTests();
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
    Write("data/colors/vest.txt", "5 sky -1 1 red");
    loadColorTables();
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(GetPartColorTable(kBadge)[0], 0x00FF0000u);
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00FF0000u);
    EXPECT_EQ(GetPartColorTable(kFur)[63], 0x00102030u);
    EXPECT_EQ(GetPartColorTable(kFur)[1], 0u);
    EXPECT_EQ(GetPartColorTable(kVest)[5], 0x00102030u);
    EXPECT_EQ(GetPartColorTable(kVest)[1], 0u);  // after the negative index nothing is read
    EXPECT_EQ(GetPartColorTable(kVest)[0], 0u);  // the table is emptied before reading
}

TEST_F(ColorTablesTest, ColourFileComponentsAndEndRules) {
    const struct {
        const char* text;
        std::uint32_t colour;  // of "c" afterwards, 0 when it is not among the pairs
        bool reported;         // the "some colors may be wrong" message
    } cases[] = {
        {"c 1 2 3 End", 0x00010203u, false},
        {"c 256 0 0 End", 0u, false},  // components are cut to their low eight bits
        {"c 300 1 2\nEnd\n", 0x002C0102u, false},
        {"c -1 0 0 End", 0x00FF0000u, false},
        {"c +7 8 9 End", 0x00070809u, false},
        {"c 1 2 3\n", 0x00010203u, true},  // no End
        {"c 1 2 3", 0u, true},             // B is the very last token: dropped
        {"c 1 2", 0u, true},
        {"c 1 x 3 End", 0u, true},  // not a number: the list ends there
        {"c 1 2 3 d 99999999999 0 0 End", 0x00010203u, true},
        {"End c 1 2 3", 0u, false},  // no pairs at all: the part files are skipped without a message
    };
    for (const auto& c : cases) {
        ResetColorTablesForTests();
        ClearLog(errorLog);
        WriteFiles(c.text, "c");
        loadColorTables();
        EXPECT_EQ(GetPartColorTable(kBadge)[0], c.colour) << c.text;
        if (c.reported) {
            EXPECT_NE(Log().find(kWrong), std::string::npos) << c.text;
        } else {
            EXPECT_EQ(Log(), "") << c.text;
        }
    }
}

TEST_F(ColorTablesTest, PartFilePairsAndMessages) {
    const std::string cape = "data\\colors\\cape.txt";
    const struct {
        const char* text;
        std::uint32_t entry0, entry63;
        std::string log;
    } cases[] = {
        {"0 red 63 red -1", 0xFF0000u, 0xFF0000u, ""},
        {"64 red -1", 0, 0, "Color index too high (64) in file " + cape + "...  ignoring it.\n"},
        {"0 blue\n-5\n", 0, 0, "No such color (blue), referanced in file " + cape + "\n"},
        {"0 red\n", 0xFF0000u, 0, "Error in file " + cape + "\n"},
        {"0 red", 0xFF0000u, 0, "Error in file " + cape + "\n"},
        {"", 0, 0, "Error in file " + cape + "\n"},
        {"0 red 63", 0xFF0000u, 0, "Error in file " + cape + "\n"},
        {"0 red x red -1", 0xFF0000u, 0, "Error in file " + cape + "\n"},
    };
    for (const auto& c : cases) {
        ResetColorTablesForTests();
        ClearLog(errorLog);
        WriteFiles("red 255 0 0 End", "red");
        Write("data/colors/cape.txt", c.text);
        loadColorTables();
        EXPECT_EQ(GetPartColorTable(kCape)[0], c.entry0) << c.text;
        EXPECT_EQ(GetPartColorTable(kCape)[63], c.entry63) << c.text;
        EXPECT_EQ(Log(), c.log) << c.text;
    }
}

TEST_F(ColorTablesTest, MissingOrEmptyFilesKeepTheTablesAndAreReported) {
    WriteFiles("c 1 2 3 End", "c");
    loadColorTables();
    std::filesystem::remove("data/colors/colors.txt");
    Write("data/colors/fur.txt", "0 d -1");  // would empty the table if it were read
    ClearLog(errorLog);
    loadColorTables();
    EXPECT_EQ(Log(), "Failed to open data\\colors\\colors.txt to load color pairs.\n");
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00010203u);
    ClearLog(errorLog);
    Write("data/colors/colors.txt", "");
    loadColorTables();
    EXPECT_EQ(Log(), kWrong);
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00010203u);

    WriteFiles("c 1 1 1 End", "c");
    std::filesystem::remove("data/colors/boot.txt");
    ClearLog(errorLog);
    loadColorTables();
    EXPECT_EQ(Log(), "Failed to open data\\colors\\boot.txt to load color indices from.\n");
    EXPECT_EQ(GetPartColorTable(kBoot)[0], 0x00010203u);
    EXPECT_EQ(GetPartColorTable(kPants)[0], 0x00010101u);
}

TEST_F(ColorTablesTest, PartColourClampsIndicesToTheTable) {
    WriteFiles("a 0 0 1 b 0 0 2 End", "a");
    Write("data/colors/fur.txt", "0 a 63 b -1");
    loadColorTables();
    const std::pair<int, std::uint32_t> cases[] = {{0, 1u}, {-128, 1u}, {63, 2u}, {95, 2u}, {127, 2u}};
    for (const auto& [index, colour] : cases) EXPECT_EQ(PartColor(kFur, index), colour) << index;
}
}  // namespace
