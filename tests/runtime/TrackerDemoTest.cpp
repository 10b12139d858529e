// The memory tracker's exit report and the call-stack report, as a real program writes them at exit.
#include <gtest/gtest.h>

#include <regex>

#include "support/TestSupport.h"

namespace {
struct DemoRun {
    std::string errors;
    std::string boxes;
    std::string stats;
};

DemoRun RunDemo(const std::string& scenario) {
    ScratchFolder folder("demo-" + scenario);
    const std::string command = "cd '" + folder.path().string() + "' && ASAN_OPTIONS=detect_leaks=0 '" +
                                BuiltProgram("tests/runtime/tracker-demo").string() + "' " + scenario;
    DemoRun run;
    EXPECT_EQ(RunCommand(command), 0) << scenario;
    run.errors = ReadTextFile(folder.path() / "_error.txt");
    run.boxes = ReadTextFile(folder.path() / "_boxes.txt");
    run.stats = ReadTextFile(folder.path() / "_stat.txt");
    return run;
}
}  // namespace

TEST(TrackerDemo, CleanRunWritesNothingAndShowsNoBox) {
    const DemoRun run = RunDemo("clean");
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.boxes, "");
}

TEST(TrackerDemo, LeakIsListedWithLabelPlaceAndStackAndBothTotalsAreShown) {
    const DemoRun run = RunDemo("leak");
    const std::regex report(
        "\nTotal memory leaks: 20 bytes in 1 allocation\\(s\\)\\.\n"
        "\n -- List of memory leaks --\n"
        "Object \"Lantern\\(leaked\\)\" \\(20 bytes total\\):\n"
        "  -Allocated in \\.\\\\TrackerDemo line [0-9]+\\.\n"
        "  -call stack of allocation:\n"
        "   tracker-demo: main - .*TrackerDemo\\.cpp - Line [0-9]+\n"
        "(.*\n)*\n");
    EXPECT_TRUE(std::regex_match(run.errors, report)) << run.errors;
    EXPECT_EQ(run.boxes,
              "[Memory Leaks]\nMemory was allocated and never freed.\n20 byte(s) leaked.\n"
              "1 total unfreed allocations.\nSee _error.txt for details.\n");
}

TEST(TrackerDemo, DoubleDeleteIsRefusedAndRaisesTheCriticalBox) {
    const DemoRun run = RunDemo("double-delete");
    const std::regex report(
        "Error: delete used on memory that doesn't exist\\.\n"
        "  -delete call made in \\.\\\\TrackerDemo line [0-9]+\\.\n");
    EXPECT_TRUE(std::regex_match(run.errors, report)) << run.errors;
    EXPECT_EQ(run.boxes,
              "[Critical Memory Error]\nCritical memory management errors occured.\n"
              "Check _error.txt for details.\n");
}

TEST(TrackerDemo, MisuseReportStartsAtTheCallerOfTheMisusedFunction) {
    const DemoRun run = RunDemo("stack");
    // Message, introducing line, then the caller of MisuseSomething with module, function, file and line.
    const std::regex report(
        "Error: the lantern was lit twice\\.\n"
        "  -attempt made from:\n"
        "   tracker-demo: [^\n]*CallerOfMisuse[^\n]* - [^\n]*TrackerDemo\\.cpp - Line [0-9]+\n"
        "   tracker-demo: main - [^\n]*TrackerDemo\\.cpp - Line [0-9]+\n"
        "(.*\n)*\n");
    EXPECT_TRUE(std::regex_match(run.errors, report)) << run.errors;
}

TEST(TrackerDemo, ARepeatedReportIsWrittenTenTimesAndItsCountGoesToTheStatisticsAtExit) {
    const DemoRun run = RunDemo("repeated");
    std::size_t reports = 0;
    for (std::size_t at = run.errors.find("lit twice"); at != std::string::npos;
         at = run.errors.find("lit twice", at + 1))
        ++reports;
    EXPECT_EQ(reports, 10u);
    EXPECT_NE(run.errors.find("further ones are only counted"), std::string::npos);
    EXPECT_NE(run.stats.find("Repeated error reports (written 10 times each, the rest counted):\n"
                             "  -25 times: Error: the lantern was lit twice.\n"),
              std::string::npos)
        << run.stats;
}
