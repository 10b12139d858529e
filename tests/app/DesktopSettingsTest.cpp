#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "app/DesktopSettings.h"
#include "app/WindowOptions.h"
#include "support/TestSupport.h"

namespace {

auto Fields(const DesktopSettings& s) {
    return std::tuple(s.width, s.height, s.fullscreen);
}

class DesktopSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(errorLog); }
    ScratchFolder folder{"settings"};
    WorkingDirectory cwd{folder.path()};
};

TEST_F(DesktopSettingsTest, SavedSettingsLoadBackThroughTheXdgConfigFolder) {
    const std::string config = std::filesystem::absolute("config").string();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::filesystem::path file = DesktopSettingsPath();
    EXPECT_EQ(file, std::filesystem::path(config) / "velmview" / "settings.ini");
    SaveDesktopSettings(file, DesktopSettings{1280, 960, true});
    EXPECT_EQ(Fields(LoadDesktopSettings(file)), std::tuple(1280, 960, true));
    // Without XDG_CONFIG_HOME (or with a relative one) the home folder's .config is used.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(DesktopSettingsPath(), std::filesystem::path("/home/player/.config/velmview/settings.ini"));
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(DesktopSettingsTest, OddFilesAreIgnoredWithOneLine) {
    const std::pair<std::string, std::string> odd[] = {
        {"[window]\nheight=99\n", "line 2: height has an odd value"},  // below the least side
        {"[window]\nwidth=16385\n", "line 2: width has an odd value"},
        {"[window]\nfullscreen=2\n", "line 2: fullscreen has an odd value"},
        {"[window\n", "line 1 is not a section"},
        {"just words\n", "line 1 is not key=value"},
        {"[window]\nwidth=8\x01"
         "00\n",
         "line 2 holds a control byte"},
        {std::string(kMaximumSettingsBytes + 1, '#'), "larger than 65536 bytes"},
    };
    const std::filesystem::path file = "settings.ini";
    for (const auto& [text, why] : odd) {
        ClearLog(errorLog);
        WriteTextFile(file, text);
        EXPECT_EQ(Fields(LoadDesktopSettings(file)), Fields(DesktopSettings())) << why;
        EXPECT_EQ(LogText(errorLog), "Settings file \"settings.ini\" ignored: " + why + "\n");
    }
    // A folder in the file's place is not read (nor waited on).
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    ClearLog(errorLog);
    EXPECT_EQ(Fields(LoadDesktopSettings(file)), Fields(DesktopSettings()));
    EXPECT_NE(LogText(errorLog).find("not a regular file"), std::string::npos);
    // Comments, blank lines, other sections and unknown keys are fine.
    DesktopSettings read;
    std::string why;
    EXPECT_TRUE(ParseDesktopSettings("; mine\n\n[other]\nwidth=x\n[window]\r\n colour = 3 \nheight=700\n",
                                     &read, &why));
    EXPECT_EQ(Fields(read), std::tuple(800, 700, false));
}

TEST_F(DesktopSettingsTest, AnUnwritableFolderCostsOneLineAndKeepsTheOldFile) {
    WriteTextFile("blocked", "a file where the folder would be");
    SaveDesktopSettings("blocked/velmview/settings.ini", DesktopSettings{1000, 750, false});
    const std::string log = LogText(errorLog);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(ReadTextFile("blocked"), "a file where the folder would be");
}

TEST(WindowOptions, SizeAndFullScreenOverTheStoredSettings) {
    const struct {
        std::vector<const char*> args;
        bool ok;
        DesktopSettings start;  // from stored settings 1024 x 768 windowed
    } cases[] = {
        {{}, true, {1024, 768, false}},
        {{"--window", "1600x1200"}, true, {1600, 1200, false}},
        {{"--window=700x900", "--record", "x"}, true, {700, 900, false}},  // others' options left alone
        {{"--fullscreen"}, true, {1024, 768, true}},
        {{"--window"}, false, {}},
        {{"--window", "1600"}, false, {}},
        {{"--window", "-5x600"}, false, {}},
        {{"--window", "50x50"}, false, {}},
        {{"--window", "99999999999x600"}, false, {}},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"velmview"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(c.args.empty() ? "" : c.args.back());
        WindowOptions options;
        std::string error;
        ASSERT_EQ(ParseWindowOptions(int(argv.size()), argv.data(), &options, &error), c.ok);
        if (c.ok) {
            EXPECT_EQ(Fields(StartingWindow(options, DesktopSettings{1024, 768, false})), Fields(c.start));
        } else {
            EXPECT_NE(error.find("--window"), std::string::npos);
        }
    }
}

}  // namespace
