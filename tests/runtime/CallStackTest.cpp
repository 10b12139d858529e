// Call-stack text: line shapes, the 64-frame limit, stripping, a report without symbols and repeated
// reports (the misuse report with symbols is checked in TrackerDemoTest).
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "runtime/CallStack.h"
#include "runtime/Faults.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

__attribute__((noinline)) std::string Recurse(int depth) {
    if (depth == 0) return GetCallStack();
    std::string text = Recurse(depth - 1);  // not a tail call: every level keeps its frame
    return text;
}

__attribute__((noinline)) void MisuseFromOnePlace(const std::string& message) {
    ReportMisuse(message);
}
}  // namespace

TEST(CallStack, EveryLineHasOneOfTheFourShapesAndTheFirstNamesTheCaller) {
    const std::vector<std::string> lines = Lines(GetCallStack());
    ASSERT_GE(lines.size(), 3u);
    const std::regex shape(
        "   [^ :]+: .+ - .+ - Line [0-9]+|   [^ :]+: Unknown \\(.*\\)|   [^ :]+: \\(external code\\)|"
        "  \\(Error\\?\\): \\(external code\\)");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, shape)) << line;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("   test_runtime: .*EveryLineHasOneOfTheFourShapes.* - "
                                                      ".*CallStackTest\\.cpp - Line [0-9]+")))
        << lines[0];
}

TEST(CallStack, DeepRecursionIsCutAfterSixtyFourFrames) {
    const std::vector<std::string> lines = Lines(Recurse(100));
    ASSERT_EQ(lines.size(), 65u);
    EXPECT_EQ(lines[64], "  (Error while walking stack... over 64 walks... ending prematurely)");
    EXPECT_NE(lines[63].find("Recurse"), std::string::npos);
}

TEST(CallStack, StripFirstLine) {
    EXPECT_EQ(StripFirstLine("no break at all"), "no break at all");
    EXPECT_EQ(StripFirstLine("first\nsecond\nthird\n"), "second\nthird\n");
    EXPECT_EQ(StripFirstLine("tab\tends it"), "ends it");
}

TEST(CallStack, WithoutSymbolsStacksAreEmptyAndReportsKeepTheirFrame) {
    ArmFault(Fault::SymbolLookup);
    ClearLog(errorLog);
    EXPECT_EQ(GetCallStack(), "");
    ReportMisuse("Error: misuse detected.\n");
    ResetProcessState();
    EXPECT_EQ(LogText(errorLog), "Error: misuse detected.\n  -attempt made from:\n\n");
}

TEST(CallStack, TheSameReportFromOnePlaceIsWrittenTenTimesThenCounted) {
    ScratchFolder folder("repeated-reports");
    WorkingDirectory cwd(folder.path());
    ResetProcessState();
    ClearLog(errorLog);
    ClearLog(statLog);
    for (int i = 0; i < 100; ++i) MisuseFromOnePlace("Error: Again.\n");
    ReportMisuse("Error: Again.\n");  // another place: its own count
    MisuseFromOnePlace("Error: Other.\n");
    const std::string text = LogText(errorLog);
    const auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("Error: Again.\n  -attempt made from:\n"), 11u);
    EXPECT_EQ(count("Error: Other.\n"), 1u);
    EXPECT_EQ(count("further ones are only counted"), 1u);
    WriteRepeatedReportCounts();
    EXPECT_EQ(
        LogText(statLog),
        "Repeated error reports (written 10 times each, the rest counted):\n  -100 times: Error: Again.\n\n");
    ResetProcessState();
    ClearLog(statLog);
    WriteRepeatedReportCounts();
    EXPECT_EQ(LogText(statLog), "");
}
