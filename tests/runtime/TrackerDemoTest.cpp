// The memory tracker's exit report and the call-stack report, as a real program writes them at exit.
#include <gtest/gtest.h>

#include <regex>

#include "support/TestSupport.h"

// The misuse report starts at the caller of the misused function; a leak is listed with label, place and
// stack and both totals are shown; a double delete is refused and raises the critical box; a repeated
// report's count reaches the statistics.
TEST(TrackerDemo, ExitReportsAndBoxes) {
    const struct {
        const char *scenario, *errors, *boxes, *stats;  // errors: a regular expression; nullptr: not checked
    } rows[] = {
        {"clean", "", "", ""},
        {"leak",
         "\nTotal memory leaks: 20 bytes in 1 allocation\\(s\\)\\.\n"
         "\n -- List of memory leaks --\n"
         "Object \"Lantern\\(leaked\\)\" \\(20 bytes total\\):\n"
         "  -Allocated in \\.\\\\TrackerDemo line [0-9]+\\.\n"
         "  -call stack of allocation:\n"
         "   tracker-demo: main - .*TrackerDemo\\.cpp - Line [0-9]+\n"
         "(.*\n)*\n",
         "[Memory Leaks]\nMemory was allocated and never freed.\n20 byte(s) leaked.\n"
         "1 total unfreed allocations.\nSee _error.txt for details.\n",
         ""},
        {"double-delete",
         "Error: delete used on memory that doesn't exist\\.\n"
         "  -delete call made in \\.\\\\TrackerDemo line [0-9]+\\.\n",
         "[Critical Memory Error]\nCritical memory management errors occured.\nCheck _error.txt for "
         "details.\n",
         ""},
        {"stack",
         "Error: the lantern was lit twice\\.\n"
         "  -attempt made from:\n"
         "   tracker-demo: [^\n]*CallerOfMisuse[^\n]* - [^\n]*TrackerDemo\\.cpp - Line [0-9]+\n"
         "   tracker-demo: main - [^\n]*TrackerDemo\\.cpp - Line [0-9]+\n"
         "(.*\n)*\n",
         nullptr, ""},
        {"repeated", nullptr, nullptr,
         "Repeated error reports (written 10 times each, the rest counted):\n"
         "  -25 times: Error: the lantern was lit twice.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scenario);
        ScratchFolder folder(std::string("demo-") + row.scenario);
        ASSERT_EQ(RunCommand("cd '" + folder.path().string() + "' && ASAN_OPTIONS=detect_leaks=0 '" +
                             BuiltProgram("tests/runtime/tracker-demo").string() + "' " + row.scenario),
                  0);
        const std::string errors = ReadTextFile(folder.path() / "_error.txt");
        EXPECT_TRUE(row.errors == nullptr || std::regex_match(errors, std::regex(row.errors))) << errors;
        const std::string boxes = ReadTextFile(folder.path() / "_boxes.txt");
        EXPECT_TRUE(row.boxes == nullptr || boxes == row.boxes) << boxes;
        EXPECT_NE(ReadTextFile(folder.path() / "_stat.txt").find(row.stats), std::string::npos);
    }
}
