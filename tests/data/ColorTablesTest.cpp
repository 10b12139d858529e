// Colour tables: named colours, the ten part files read token by token, and every message.
#include "DataTestFiles.h"
#include "data/ColorTables.h"

namespace {
const char* const kParts[] = {"badge", "bracer", "boot",    "cape",  "eye",
                              "fur",   "hair",   "marking", "pants", "vest"};

class ColorTablesTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        ResetColorTablesForTests();
    }
    // Every part file holds "0 NAME -1" unless the test writes its own.
    static void WriteAllParts(const std::string& name) {
        for (const char* part : kParts) {
            Write(std::string("data/colors/") + part + ".txt", "0 " + name + " -1\n");
        }
    }
};

TEST_F(ColorTablesTest, LoadsNamedColoursIntoAllTenTables) {
    Write("data/colors/colors.txt", "red 255 0 0\nsky\t16  32\n48 End ignored 1 2 3\n");
    WriteAllParts("red");
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

struct ComponentCase {
    const char* rgb;
    std::uint32_t colour;
};
class ColorComponentTest : public ColorTablesTest, public ::testing::WithParamInterface<ComponentCase> {};

TEST_P(ColorComponentTest, ComponentsAreCutToTheirLowEightBits) {
    Write("data/colors/colors.txt", std::string("c ") + GetParam().rgb + "\nEnd\n");
    WriteAllParts("c");
    loadColorTables();
    EXPECT_EQ(GetPartColorTable(kEye)[0], GetParam().colour);
    EXPECT_EQ(Log(), "");
}

INSTANTIATE_TEST_SUITE_P(Components, ColorComponentTest,
                         ::testing::Values(ComponentCase{"255 0 0", 0x00FF0000u},
                                           ComponentCase{"256 0 0", 0u},
                                           ComponentCase{"300 1 2", 0x002C0102u},
                                           ComponentCase{"-1 0 0", 0x00FF0000u},
                                           ComponentCase{"+7 8 9", 0x00070809u}));

TEST_F(ColorTablesTest, MissingOrEmptyColourFileTouchesNoTable) {
    WriteAllParts("c");
    Write("data/colors/colors.txt", "c 1 2 3 End");
    loadColorTables();
    ClearLog(errorLog);
    std::filesystem::remove("data/colors/colors.txt");
    Write("data/colors/fur.txt", "0 d -1");  // would empty the table if it were read
    loadColorTables();
    EXPECT_EQ(Log(), "Failed to open data\\colors\\colors.txt to load color pairs.\n");
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00010203u);
    ClearLog(errorLog);
    Write("data/colors/colors.txt", "");
    loadColorTables();
    EXPECT_EQ(Log(), "Error in file data\\colors\\colors.txt, some colors may be wrong...\n");
    EXPECT_EQ(GetPartColorTable(kFur)[0], 0x00010203u);
}

struct ColourFileCase {
    const char* text;
    bool keepsC;    // "c" is in the pairs afterwards
    bool reported;  // the "some colors may be wrong" message
};
class ColourFileEndTest : public ColorTablesTest, public ::testing::WithParamInterface<ColourFileCase> {};

TEST_P(ColourFileEndTest, EndRules) {
    Write("data/colors/colors.txt", GetParam().text);
    WriteAllParts("c");
    loadColorTables();
    // With no pairs at all the part files are skipped without a message.
    EXPECT_EQ(GetPartColorTable(kBadge)[0], GetParam().keepsC ? 0x00010203u : 0u);
    const std::string wrong = "Error in file data\\colors\\colors.txt, some colors may be wrong...\n";
    EXPECT_EQ(Log().find(wrong) != std::string::npos, GetParam().reported) << Log();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ColourFileEndTest,
    ::testing::Values(ColourFileCase{"c 1 2 3 End", true, false},
                      ColourFileCase{"c 1 2 3\n", true, true},  // no End
                      ColourFileCase{"c 1 2 3", false, true},   // B is the very last token: dropped
                      ColourFileCase{"c 1 2", false, true},
                      ColourFileCase{"c 1 x 3 End", false, true},  // not a number: the list ends there
                      ColourFileCase{"c 1 2 3 d 99999999999 0 0 End", true, true},
                      ColourFileCase{"End c 1 2 3", false, false}));

struct PartFileCase {
    const char* text;
    std::uint32_t entry0;
    std::uint32_t entry63;
    const char* log;
};
class PartFileTest : public ColorTablesTest, public ::testing::WithParamInterface<PartFileCase> {};

TEST_P(PartFileTest, PairsAndMessages) {
    Write("data/colors/colors.txt", "red 255 0 0 End");
    WriteAllParts("red");
    Write("data/colors/cape.txt", GetParam().text);
    loadColorTables();
    EXPECT_EQ(GetPartColorTable(kCape)[0], GetParam().entry0);
    EXPECT_EQ(GetPartColorTable(kCape)[63], GetParam().entry63);
    EXPECT_EQ(Log(), GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PartFileTest,
    ::testing::Values(
        PartFileCase{"0 red 63 red -1", 0xFF0000u, 0xFF0000u, ""},
        PartFileCase{"64 red -1", 0, 0,
                     "Color index too high (64) in file data\\colors\\cape.txt...  ignoring it.\n"},
        PartFileCase{"0 blue\n-5\n", 0, 0,
                     "No such color (blue), referanced in file data\\colors\\cape.txt\n"},
        PartFileCase{"0 red\n", 0xFF0000u, 0, "Error in file data\\colors\\cape.txt\n"},
        PartFileCase{"0 red", 0xFF0000u, 0, "Error in file data\\colors\\cape.txt\n"},
        PartFileCase{"", 0, 0, "Error in file data\\colors\\cape.txt\n"},
        PartFileCase{"0 red 63", 0xFF0000u, 0, "Error in file data\\colors\\cape.txt\n"},
        PartFileCase{"0 red x red -1", 0xFF0000u, 0, "Error in file data\\colors\\cape.txt\n"}));

TEST_F(ColorTablesTest, MissingPartFileKeepsItsTableAndIsReported) {
    Write("data/colors/colors.txt", "red 255 0 0 End");
    WriteAllParts("red");
    loadColorTables();
    std::filesystem::remove("data/colors/boot.txt");
    Write("data/colors/colors.txt", "red 1 1 1 End");
    ClearLog(errorLog);
    loadColorTables();
    EXPECT_EQ(Log(), "Failed to open data\\colors\\boot.txt to load color indices from.\n");
    EXPECT_EQ(GetPartColorTable(kBoot)[0], 0x00FF0000u);
    EXPECT_EQ(GetPartColorTable(kPants)[0], 0x00010101u);
}

TEST_F(ColorTablesTest, PartColourClampsIndicesToTheTable) {
    Write("data/colors/colors.txt", "a 0 0 1 b 0 0 2 End");
    WriteAllParts("a");
    Write("data/colors/fur.txt", "0 a 63 b -1");
    loadColorTables();
    EXPECT_EQ(PartColor(kFur, 0), 1u);
    EXPECT_EQ(PartColor(kFur, -128), 1u);
    EXPECT_EQ(PartColor(kFur, 63), 2u);
    EXPECT_EQ(PartColor(kFur, 95), 2u);
    EXPECT_EQ(PartColor(kFur, 127), 2u);
}
}  // namespace
