// LogFile: emptied at construction, append per write, number formats, the size limit, silent loss when
// unopenable.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "runtime/LogFile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {
void WriteEveryKind(LogFile& log) {
    log.Write("one ");
    log.Write(std::string("two "));
    log.Write(-42);
    log.Write(" ");
    log.Write(LONG_MIN);
    log.Write(" ");
    log.Write(1e21);
    log.Write(LogVector3{1.5f, -2.0f, 0.25f});
}
}  // namespace

TEST(LogFile, ConstructionEmptiesTheFileAndWritesAppend) {
    ScratchFolder folder("logfile");
    const fs::path path = folder.path() / "_test.txt";
    WriteTextFile(path, "left over from the last run\n");
    LogFile log(path.c_str(), false);
    EXPECT_EQ(ReadTextFile(path), "");
    WriteEveryKind(log);
    EXPECT_EQ(ReadTextFile(path), "one two -42 " + std::to_string(LONG_MIN) + " 1e+21(1.5,-2,0.25)");

    LogFile lost((folder.path() / "no-such-folder" / "_test.txt").c_str(), false);
    WriteEveryKind(lost);
    EXPECT_FALSE(fs::exists(folder.path() / "no-such-folder"));  // no folder is made for a log
}

TEST(LogFile, ALimitedLogStopsWithOneLineSayingSo) {
    ScratchFolder folder("logfile-limit");
    const fs::path path = folder.path() / "_test.txt";
    LogFile log(path.c_str(), false, 16);
    const std::string stop = "\n[Logging stopped here: the file reached its limit of 16 bytes.]\n";
    log.Write("0123456789");
    log.Write("abcdef");  // exactly at the limit: still written
    log.Write("x");       // past it: the stop line instead
    log.Write(std::string(100, 'z'));
    EXPECT_EQ(ReadTextFile(path), "0123456789abcdef" + stop);

    // Emptied from outside (as the tests' log helper does), the log writes again up to its limit.
    ClearLog(log);
    log.Write("0123456789");
    log.Write("0123456789");
    EXPECT_EQ(ReadTextFile(path), "0123456789" + stop);

    LogFile mebibytes(path.c_str(), false, 2u << 20);
    mebibytes.Write(std::string((2u << 20) + 1, 'a'));
    EXPECT_EQ(ReadTextFile(path), "\n[Logging stopped here: the file reached its limit of 2 MiB.]\n");
}
