// Player profiles: the version line, the key search order, the fixed value positions, the "Spec=" rule,
// the first empty line, the three messages; and the scan that decides which files the chooser offers.
#include <filesystem>

#include "DataTestFiles.h"
#include "data/PlayerProfile.h"
#include "data/ProfileList.h"

namespace {
class PlayerProfileTest : public DataFileTest {
protected:
    // The fields joined by "|".
    static std::string Fields() {
        const PlayerProfile& p = GetPlayerProfile();
        return p.name + "|" + p.password + "|" + p.colors + "|" + p.desc + "|" + std::to_string(p.spec1) +
               "|" + std::to_string(p.spec2);
    }
};

// Carriage returns before the line feeds are removed; nothing after the first empty line is read.
TEST_F(PlayerProfileTest, CompleteFileFillsEveryField) {
    Write("bob.ini",
          "V1.6\r\nName=Bob\r\nPassword=secret\r\nColors=abcdefghij\r\nDesc=A "
          "cat\r\nSpec=37\r\n\r\nName=X\r\n");
    ASSERT_TRUE(LoadPlayerIni("bob.ini"));
    EXPECT_EQ(Fields(), "Bob|secret|abcdefghij|A cat|3|7");
    EXPECT_EQ(Log(), "");
}

TEST_F(PlayerProfileTest, VersionMissingAndIncompleteFilesAreReported) {
    const std::string version = "\" not a recognized version.\n";
    const std::string vital = "Error: Could not load all vital data fields from player .ini: ";
    // file, its bytes (nullptr: not written), whether it loads, the log
    const std::tuple<const char*, const char*, bool, std::string> cases[] = {
        {"old.ini", "V1.5\nName=a\nPassword=b\nColors=c\nDesc=d\nSpec=37\n", true,
         "Warning: player ini file \"old.ini" + version},
        {"empty.ini", "", false, "Warning: player ini file \"empty.ini" + version + vital + "empty.ini\n"},
        {"nobody.ini", nullptr, false, "Failed to open player ini file: nobody.ini\n"},
        {"/dev/zero", nullptr, false, "Failed to open player ini file: /dev/zero\n"}};
    for (const auto& [file, bytes, loads, log] : cases) {
        ResetProcessState();
        ClearLog(errorLog);
        if (bytes != nullptr) Write(file, bytes);
        EXPECT_EQ(LoadPlayerIni(file), loads) << file;
        EXPECT_EQ(Log(), log) << file;
    }
}

// Each case adds one line in front of a file without its class line, so completeness depends on that line.
TEST_F(PlayerProfileTest, KeyOrderAndFixedValuePositions) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Spec=\xF0\x31", "Base|pw|c|base|-64|1", true},   // signed bytes
        {"XSpec=12", "Base|pw|c|base|13|1", true},         // positions 5, 6
        {"XName=Bob", "=Bob|pw|c|base|0|0", false},        // value from position 5
        {"Name=Spec=12", "Spec=12|pw|c|base|0|0", false},  // Name= before Spec=
    };
    for (const auto& [line, fields, complete] : cases) {
        ResetProcessState();
        Write("p.ini", std::string("V1.6\nName=Base\nPassword=pw\nColors=c\nDesc=base\n") + line + "\n");
        EXPECT_EQ(LoadPlayerIni("p.ini"), complete) << line;
        EXPECT_EQ(Fields(), fields) << line;
    }
}

TEST_F(PlayerProfileTest, OverlongLineIsCutNotStoredWhole) {
    Write("long.ini", "V1.6\nName=" + std::string(100000, 'n') + "\nPassword=p\nColors=c\nDesc=d\nSpec=11\n");
    ASSERT_TRUE(LoadPlayerIni("long.ini"));
    EXPECT_EQ(GetPlayerProfile().name, std::string(4096 - 5, 'n'));
    EXPECT_EQ(GetPlayerProfile().password, "p");
}

TEST_F(PlayerProfileTest, ChooserOffersCompleteProfilesInNameOrderAndSkipsSettingsFiles) {
    const std::string complete = "V1.6\nName=Bob\nPassword=p\nColors=c\nDesc=d\nSpec=11\n";
    for (const char* name : {"options.ini", "scrlist2.ini", "Options.ini", "notes.txt", "bob.ini"})
        Write(name, complete);  // "Options.ini" is offered: the exclusion compares letter case exactly
    Write("Carl.INI", complete);
    Write("alice.ini", "V1.6\nName=Alice\nPassword=p\nColors=c\nDesc=d\nSpec=11\n");
    Write("broken.ini", "V1.6\nName=Broken\n");
    std::filesystem::create_directory("folder.ini");
    EXPECT_EQ(FindProfiles()[0].name, "Alice");
    EXPECT_EQ(GetPlayerProfile().name, "Bob");  // the last usable file's fields stay in the record
    EXPECT_NE(Log().find("from player .ini: broken.ini\n"), std::string::npos);
    EXPECT_EQ(Log().find("options.ini\n"), std::string::npos);
    EXPECT_EQ(FindProfileFiles(),
              (std::vector<std::string>{"alice.ini", "bob.ini", "Carl.INI", "Options.ini"}));
    EXPECT_TRUE(FindProfileFiles("missing").empty());
}
}  // namespace
