// Player profiles: the version line, the key search order, the fixed value positions, the "Spec=" rule,
// the first empty line, the three messages; and the scan that decides which files the chooser offers.
#include <filesystem>

#include "DataTestFiles.h"
#include "data/PlayerProfile.h"
#include "data/ProfileList.h"

namespace {
const std::string kComplete = "V1.6\nName=Bob\nPassword=secret\nColors=abcdefghij\nDesc=A cat\nSpec=37\n";
// The same with carriage returns before the line feeds, which are removed as text-mode reading does.
const std::string kCompleteCrLf =
    "V1.6\r\nName=Bob\r\nPassword=secret\r\nColors=abcdefghij\r\nDesc=A cat\r\nSpec=37\r\n\r\nName=After\r\n";

class PlayerProfileTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        ResetPlayerProfileForTests();
    }
};

TEST_F(PlayerProfileTest, CompleteFileFillsEveryField) {
    Write("bob.ini", kCompleteCrLf);
    ASSERT_TRUE(LoadPlayerIni("bob.ini"));
    const PlayerProfile& p = GetPlayerProfile();
    EXPECT_EQ(p.name, "Bob");
    EXPECT_EQ(p.password, "secret");
    EXPECT_EQ(p.colors, "abcdefghij");
    EXPECT_EQ(p.desc, "A cat");
    EXPECT_EQ(p.spec1, 3);
    EXPECT_EQ(p.spec2, 7);
    EXPECT_EQ(Log(), "");
}

TEST_F(PlayerProfileTest, OtherVersionWarnsAndStillLoads) {
    Write("old.ini", "V1.5\n" + kComplete.substr(5));
    EXPECT_TRUE(LoadPlayerIni("old.ini"));
    EXPECT_EQ(Log(), "Warning: player ini file \"old.ini\" not a recognized version.\n");
    ClearLog(errorLog);
    Write("short.ini", "V1.\n" + kComplete.substr(5));
    EXPECT_TRUE(LoadPlayerIni("short.ini"));
    EXPECT_EQ(Log(), "Warning: player ini file \"short.ini\" not a recognized version.\n");
}

TEST_F(PlayerProfileTest, MissingFileIsReported) {
    EXPECT_FALSE(LoadPlayerIni("nobody.ini"));
    EXPECT_EQ(Log(), "Failed to open player ini file: nobody.ini\n");
    std::filesystem::create_directory("folder.ini");
    EXPECT_FALSE(LoadPlayerIni("folder.ini"));
    EXPECT_FALSE(LoadPlayerIni("/dev/zero"));
    EXPECT_EQ(Log(),
              "Failed to open player ini file: nobody.ini\nFailed to open player ini file: folder.ini\n"
              "Failed to open player ini file: /dev/zero\n");
}

TEST_F(PlayerProfileTest, FieldsAfterTheFirstEmptyLineAreNeverRead) {
    Write("gap.ini", "V1.6\n\nName=Bob\nPassword=secret\nColors=c\nDesc=d\nSpec=37\n");
    EXPECT_FALSE(LoadPlayerIni("gap.ini"));
    EXPECT_EQ(GetPlayerProfile().name, "");
    EXPECT_EQ(Log(), "Error: Could not load all vital data fields from player .ini: gap.ini\n");
}

TEST_F(PlayerProfileTest, EmptyFileWarnsAndFails) {
    Write("empty.ini", "");
    EXPECT_FALSE(LoadPlayerIni("empty.ini"));
    EXPECT_EQ(Log(),
              "Warning: player ini file \"empty.ini\" not a recognized version.\n"
              "Error: Could not load all vital data fields from player .ini: empty.ini\n");
}

struct LineCase {
    const char* line;
    const char* name;
    const char* desc;
    int spec1;
    int spec2;
    bool complete;
};

class ProfileLineTest : public PlayerProfileTest, public ::testing::WithParamInterface<LineCase> {};

// Each case adds one line in front of a file that lacks Spec, so completeness depends on the "Spec=" rule.
TEST_P(ProfileLineTest, KeyOrderAndFixedValuePositions) {
    const LineCase& c = GetParam();
    Write("p.ini", std::string("V1.6\nName=Base\nPassword=pw\nColors=c\nDesc=base\n") + c.line + "\n");
    EXPECT_EQ(LoadPlayerIni("p.ini"), c.complete);
    const PlayerProfile& p = GetPlayerProfile();
    EXPECT_EQ(p.name, c.name);
    EXPECT_EQ(p.desc, c.desc);
    EXPECT_EQ(p.spec1, c.spec1);
    EXPECT_EQ(p.spec2, c.spec2);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProfileLineTest,
    ::testing::Values(LineCase{"Spec=37", "Base", "base", 3, 7, true},
                      LineCase{"Spec=3", "Base", "base", 0, 0, false},  // 6 characters: not counted
                      LineCase{"Spec=ab", "Base", "base", 'a' - '0', 'b' - '0', true},  // no digit check
                      LineCase{"Spec=\xF0\x31", "Base", "base", -16 - '0', 1, true},    // signed bytes
                      LineCase{"XSpec=12", "Base", "base", '=' - '0', 1, true},         // positions 5, 6
                      LineCase{"XName=Bob", "=Bob", "base", 0, 0, false},  // value from position 5
                      LineCase{"Desc=Has Name=Bob", "Base", "Has Name=Bob", 0, 0, false},  // Desc= first
                      LineCase{"Name=Spec=12", "Spec=12", "base", 0, 0, false},  // Name= before Spec=
                      LineCase{"no key here", "Base", "base", 0, 0, false}));

TEST_F(PlayerProfileTest, SecondCompleteFileReplacesEveryField) {
    Write("a.ini", kComplete);
    Write("b.ini", "V1.6\nSpec=01\nDesc=Dog\nColors=0123456789\nPassword=pw2\nName=Rex\n");
    ASSERT_TRUE(LoadPlayerIni("a.ini"));
    ASSERT_TRUE(LoadPlayerIni("b.ini"));
    const PlayerProfile p = GetPlayerProfile();
    EXPECT_EQ(p.name, "Rex");
    EXPECT_EQ(p.password, "pw2");
    EXPECT_EQ(p.colors, "0123456789");
    EXPECT_EQ(p.desc, "Dog");
    EXPECT_EQ(p.spec1, 0);
    EXPECT_EQ(p.spec2, 1);
    ASSERT_TRUE(LoadPlayerIni("b.ini"));
    EXPECT_EQ(GetPlayerProfile().name, p.name);
    EXPECT_EQ(GetPlayerProfile().desc, p.desc);
}

TEST_F(PlayerProfileTest, OverlongLineIsCutNotStoredWhole) {
    Write("long.ini", "V1.6\nName=" + std::string(100000, 'n') + "\nPassword=p\nColors=c\nDesc=d\nSpec=11\n");
    ASSERT_TRUE(LoadPlayerIni("long.ini"));
    EXPECT_EQ(GetPlayerProfile().name, std::string(4096 - 5, 'n'));
    EXPECT_EQ(GetPlayerProfile().password, "p");
}

using ProfileListTest = PlayerProfileTest;

TEST_F(ProfileListTest, OffersCompleteProfilesInNameOrderAndSkipsSettingsFiles) {
    for (const char* excluded : {"options.ini", "audiolist.ini", "ranklevels.ini", "audlist.ini",
                                 "ScrDesign.ini", "scrlist2.ini", "scrlist.ini", "toolset.ini"}) {
        Write(excluded, kComplete);
    }
    Write("bob.ini", kComplete);
    Write("Carl.INI", "V1.6\nName=Carl\nPassword=p\nColors=c\nDesc=d\nSpec=11\n");
    Write("alice.ini", "V1.6\nName=Alice\nPassword=p\nColors=c\nDesc=d\nSpec=11\n");
    Write("broken.ini", "V1.6\nName=Broken\n");
    Write("Options.ini", kComplete);  // the exclusion compares letter case exactly
    Write("notes.txt", kComplete);
    std::filesystem::create_directory("folder.ini");

    const std::vector<ProfileEntry> entries = FindProfiles();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].fileName, "alice.ini");
    EXPECT_EQ(entries[0].name, "Alice");
    EXPECT_EQ(entries[1].fileName, "bob.ini");
    EXPECT_EQ(entries[1].name, "Bob");
    EXPECT_EQ(entries[2].fileName, "Carl.INI");
    EXPECT_EQ(entries[3].fileName, "Options.ini");
    // The last usable file's fields stay in the record.
    EXPECT_EQ(GetPlayerProfile().name, "Bob");
    EXPECT_NE(Log().find("from player .ini: broken.ini\n"), std::string::npos);
    EXPECT_EQ(Log().find("options.ini\n"), std::string::npos);

    EXPECT_EQ(FindProfileFiles(),
              (std::vector<std::string>{"alice.ini", "bob.ini", "Carl.INI", "Options.ini"}));
}

TEST_F(ProfileListTest, ScansAnotherFolderAndAnEmptyOne) {
    Write("game/bob.ini", kComplete);
    EXPECT_EQ(FindProfileFiles("game"), std::vector<std::string>{"bob.ini"});
    EXPECT_EQ(FindProfileFiles("game\\"), std::vector<std::string>{"bob.ini"});
    EXPECT_TRUE(FindProfileFiles().empty());
    EXPECT_TRUE(FindProfileFiles("missing").empty());
}
}  // namespace
