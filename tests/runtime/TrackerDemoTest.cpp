// The memory tracker's exit report and the call-stack report, as a real program writes them at exit.
#include <gtest/gtest.h>

#include <regex>

#include "support/TestSupport.h"

namespace {
struct DemoRun {
    std::string errors, boxes, stats;
};

DemoRun RunDemo(const std::string& scenario) {
    ScratchFolder folder("demo-" + scenario);
    const std::string command = "cd '" + folder.path().string() + "' && ASAN_OPTIONS=detect_leaks=0 '" +
                                BuiltProgram("tests/runtime/tracker-demo").string() + "' " + scenario;
    EXPECT_EQ(RunCommand(command), 0) << scenario;
    return {ReadTextFile(folder.path() / "_error.txt"), ReadTextFile(folder.path() / "_boxes.txt"),
            ReadTextFile(folder.path() / "_stat.txt")};
}
}  // namespace

// The misuse report starts at the caller of the misused function; a leak is listed with label, place and
// stack and both totals are shown; a double delete is refused and raises the critical box.
TEST(TrackerDemo, ExitReportsAndBoxes) {
    const struct {
        const char* scenario;
        const char* errors;  // a regular expression
        const char* boxes;   // nullptr: not checked
    } rows[] = {
        {"clean", "", ""},
        {"leak",
         "\nTotal memory leaks: 20 bytes in 1 allocation\\(s\\)\\.\n"
         "\n -- List of memory leaks --\n"
         "Object \"Lantern\\(leaked\\)\" \\(20 bytes total\\):\n"
         "  -Allocated in \\.\\\\TrackerDemo line [0-9]+\\.\n"
         "  -call stack of allocation:\n"
         "   tracker-demo: main - .*TrackerDemo\\.cpp - Line [0-9]+\n"
         "(.*\n)*\n",
         "[Memory Leaks]\nMemory was allocated and never freed.\n20 byte(s) leaked.\n"
         "1 total unfreed allocations.\nSee _error.txt for details.\n"},
        {"double-delete",
         "Error: delete used on memory that doesn't exist\\.\n"
         "  -delete call made in \\.\\\\TrackerDemo line [0-9]+\\.\n",
         "[Critical Memory Error]\nCritical memory management errors occured.\nCheck _error.txt for "
         "details.\n"},
        {"stack",
         "Error: the lantern was lit twice\\.\n"
         "  -attempt made from:\n"
         "   tracker-demo: [^\n]*CallerOfMisuse[^\n]* - [^\n]*TrackerDemo\\.cpp - Line [0-9]+\n"
         "   tracker-demo: main - [^\n]*TrackerDemo\\.cpp - Line [0-9]+\n"
         "(.*\n)*\n",
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scenario);
        const DemoRun run = RunDemo(row.scenario);
        EXPECT_TRUE(std::regex_match(run.errors, std::regex(row.errors))) << run.errors;
        if (row.boxes != nullptr) {
            EXPECT_EQ(run.boxes, row.boxes);
        }
    }
}

// How often a repeated report is written is pinned in CallStackTest; here its count reaches the statistics.
TEST(TrackerDemo, ARepeatedReportsCountGoesToTheStatisticsAtExit) {
    const DemoRun run = RunDemo("repeated");
    EXPECT_NE(run.stats.find("Repeated error reports (written 10 times each, the rest counted):\n"
                             "  -25 times: Error: the lantern was lit twice.\n"),
              std::string::npos)
        << run.stats;
}
