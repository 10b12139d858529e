// The small utilities and the system report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "runtime/SystemReport.h"
#include "runtime/Utilities.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

TEST(Utilities, PathPieces) {
    EXPECT_EQ(DirectoryOf("name.txt"), "");
    EXPECT_EQ(DirectoryOf("vvw_tmp\\12\\12.dream"), "vvw_tmp\\12\\");
    EXPECT_EQ(ExtensionOf("README"), "");
}

TEST(Utilities, SplitWordsTakesOnlyRunsFollowedByADelimiter) {
    std::vector<std::string> words{"stale"};
    SplitWords("walk  north now\n", " \n", words);
    EXPECT_EQ(words, (std::vector<std::string>{"walk", "north", "now"}));
    SplitWords("walk  north now", " \n", words);
    EXPECT_EQ(words, (std::vector<std::string>{"walk", "north"}));
}

TEST(Utilities, FilesFoldersAndStringLists) {
    ScratchFolder folder("utilities");
    WorkingDirectory here(folder.path());
    ClearLog(errorLog);
    CreateFoldersOfPath("vvw_tmp\\77\\77.dream");
    EXPECT_TRUE(fs::is_directory("vvw_tmp/77"));
    EXPECT_FALSE(fs::exists("vvw_tmp/77/77.dream"));

    WriteTextFile("Words.TXT", "alpha beta\n\tgamma  ");
    EXPECT_EQ(GetFileSize("words.txt"), 19);  // found whatever the letter case
    EXPECT_EQ(GetFileSize("missing.txt"), 0);
    std::vector<std::string> list{"first"};
    LoadStringList(list, "words.txt");
    EXPECT_EQ(list, (std::vector<std::string>{"first", "alpha", "beta", "gamma"}));
    LoadStringList(list, "missing.txt");
    EXPECT_EQ(LogText(errorLog), "Failed to open string list: missing.txt\n");
}

TEST(Utilities, UserDataFolderFallsBackToTheGameDirectory) {
    ScratchFolder folder("userdata");
    WorkingDirectory here(folder.path());
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("XDG_DOCUMENTS_DIR", (folder.path() / "docs").c_str(), 1);
    EXPECT_EQ(GetUserDataFolder("VelmView"), (folder.path() / "docs" / "VelmView").string());
    EXPECT_TRUE(fs::is_directory(folder.path() / "docs" / "VelmView"));

    unsetenv("XDG_DOCUMENTS_DIR");
    unsetenv("HOME");
    ClearLog(errorLog);
    EXPECT_EQ(GetUserDataFolder("VelmView"), "userdata\\");
    EXPECT_TRUE(fs::is_directory("userdata"));
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(LogText(errorLog), "Unable to retrieve user's home diretory.  Resorting to game dir.\n");
}

TEST(SystemReport, OsVersionTable) {
    const struct {
        OsVersionRecord record;
        int code;
    } cases[] = {{{false, 5, 1, false}, 0}, {{true, 4, 0, true}, 3},  {{true, 4, 89, true}, 4},
                 {{true, 4, 90, true}, 5},  {{true, 4, 91, true}, 0}, {{true, 6, 1, false}, 9}};
    for (const auto& c : cases)
        EXPECT_EQ(GetOsVersionCode(c.record), c.code) << c.record.major << "." << c.record.minor;
    EXPECT_STREQ(OsVersionText(9), "Something really new...\n");
}

TEST(SystemReport, WritesTheOperatingSystemAndTheProcessor) {
    ClearLog(statLog);
    ReportSystemInfo();
    const std::string report = LogText(statLog);
    EXPECT_TRUE(std::regex_match(report, std::regex("OS Version: .+, Linux [0-9]+\\.[0-9]+.*\n"
                                                    "(CPU code name: [A-Za-z ]{12}\n)?")))
        << report;
}
