// velm-tool fetch-dream in a game directory of its own against the stand-in file server.
#include <gtest/gtest.h>

#include "ServerProcess.h"

namespace {
namespace fs = std::filesystem;

class FetchDreamToolTest : public ::testing::Test {
protected:
    int Fetch(const std::string& args) {
        const std::string tool = BuiltProgram("tools/velm-tool/velm-tool").string();
        return RunCommand("cd '" + m_game.string() + "' && '" + tool + "' fetch-dream " + args +
                          " > out.txt 2>&1");
    }
    const fs::path m_game = fs::absolute("tool/game");
};

TEST_F(FetchDreamToolTest, CompleteDownloadsExitWithZeroEverythingElseWithOne) {
    fs::remove_all(m_game);
    WriteTextFile(m_game / "bob.ini",
                  "V1.6\nName=Bob\nPassword=hunter2\nColors=bbbbbbbbbb\nDesc=b\nSpec=22\n");
    ServerProcess server(fs::absolute("tool/server"), "file", {});
    ASSERT_TRUE(server.started());
    const std::string dream(9000, 'z');
    WriteTextFile(server.dreams() / "d9.dream", dream);
    WriteTextFile(m_game / "data" / "velmfile_ip.txt", "127.0.0.1 " + std::to_string(server.port()) + "\n");

    EXPECT_EQ(Fetch("d9"), 0);
    EXPECT_TRUE(ReadTextFile(m_game / "vvw_tmp" / "d9" / "d9.dream") == dream);
    const std::string output = ReadTextFile(m_game / "out.txt");
    EXPECT_NE(output.find("> Download Complete.\n"), std::string::npos) << output;
    EXPECT_EQ(Fetch("."), 1);  // the server's root folder is not a file to serve
    EXPECT_EQ(ReadTextFile(m_game / "out.txt").find("saved"), std::string::npos);
    EXPECT_EQ(Fetch("d9 --profile missing.ini"), 1);
    fs::remove(m_game / "bob.ini");
    EXPECT_EQ(Fetch("d9"), 1);            // no profile
    EXPECT_EQ(Fetch("d9 --profile"), 2);  // wrong arguments
    EXPECT_NE(server.transcript().find("request d9 by Bob"), std::string::npos);
}

}  // namespace
