// The launchers as processes: one scripts/run at a time, and the demo launcher stopping its
// servers when the client ends at once.
#include <gtest/gtest.h>

#include <filesystem>

#include "ServerProcess.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSource = std::getenv("VELM_SOURCE_DIR") ? std::getenv("VELM_SOURCE_DIR") : ".";

TEST(LauncherTest, ASecondRunIsRefusedWhileTheFirstHoldsTheLockUntilItEnds) {
    // A copy of scripts/run whose bootstrap waits for "go" and whose build fails.
    const fs::path tree = fs::absolute("run-tree");
    fs::remove_all(tree);
    fs::create_directories(tree / "scripts");
    fs::copy_file(kSource / "scripts" / "run", tree / "scripts" / "run");
    WriteTextFile(tree / "scripts" / "bootstrap",
                  "#!/bin/sh\nwhile [ ! -e \"$(dirname \"$0\")/../go\" ]; do "
                  "sleep 0.02; done\n");
    fs::permissions(tree / "scripts" / "bootstrap", fs::perms::owner_all);
    const std::string run = "cd '" + tree.string() + "' && scripts/run";
    ASSERT_EQ(RunCommand("(" + run + " >first.txt 2>&1; echo $? >first-status.txt) >/dev/null 2>&1 &"), 0);
    ASSERT_TRUE(WaitUntil([&] { return ReadTextFile(tree / "build" / "run.lock").find("process") == 0; }));
    const std::string holder = ReadTextFile(tree / "build" / "run.lock");

    EXPECT_EQ(RunCommand(run + " >second.txt 2>&1"), 1);
    const std::string refusal = ReadTextFile(tree / "second.txt");
    EXPECT_NE(refusal.find("another run is playing"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find(holder.substr(0, holder.find(" started"))), std::string::npos) << refusal;

    WriteTextFile(tree / "go", "");
    ASSERT_TRUE(WaitUntil([&] { return !ReadTextFile(tree / "first-status.txt").empty(); }, 30000ms));
    EXPECT_NE(RunCommand(run + " >third.txt 2>&1"), 0);
    EXPECT_EQ(ReadTextFile(tree / "third.txt").find("another run is playing"), std::string::npos);
}

TEST(LauncherTest, TheDemoStopsItsServersWhenTheClientEndsAtOnce) {
    const fs::path build = fs::absolute("launcher-build");
    const fs::path built = BuiltProgram(".");
    fs::remove_all(build);
    fs::create_directories(build / "tools" / "velm-server");
    fs::create_symlink(BuiltProgram("tools/velm-server/velm-server"),
                       build / "tools/velm-server/velm-server");
    fs::copy(built / "game", build / "game", fs::copy_options::recursive);
    fs::create_symlink(built / "dreams", build / "dreams");
    WriteTextFile(build / "velmview", "#!/bin/sh\necho 'no display' >&2\nexit 1\n");
    fs::permissions(build / "velmview", fs::perms::owner_all);

    const fs::path demo = kSource / "packaging" / "launchers" / "velmview-demo";
    EXPECT_EQ(
        RunCommand("VELMVIEW_BUILD_DIR='" + build.string() + "' VELMVIEW_SERVER_DIR='" +
                   (build / "servers").string() + "' timeout 60 '" + demo.string() + "' >demo.txt 2>&1"),
        1)
        << ReadTextFile("demo.txt");
    EXPECT_FALSE(ReadTextFile(build / "servers" / "game" / "port.txt").empty());  // the servers had started
    EXPECT_NE(RunCommand("pgrep -f '" + build.string() + "/[t]ools' >/dev/null"), 0);
}

}  // namespace
