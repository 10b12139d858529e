// velm-tool fetch-dream in a game directory of its own against the stand-in file server.
#include <gtest/gtest.h>

#include "ServerProcess.h"

namespace {
namespace fs = std::filesystem;

class FetchDreamToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all("tool");
        // Two complete profiles: the first by name order is used unless another is named.
        WriteTextFile(m_game / "alice.ini",
                      "V1.6\nName=Alice\nPassword=pa55\nColors=aaaaaaaaaa\nDesc=a\nSpec=11\n");
        WriteTextFile(m_game / "bob.ini",
                      "V1.6\nName=Bob\nPassword=hunter2\nColors=bbbbbbbbbb\nDesc=b\nSpec=22\n");
    }
    // Runs fetch-dream with the arguments in the game directory; its exit status.
    int Fetch(const std::string& args) {
        const std::string tool = BuiltProgram("tools/velm-tool/velm-tool").string();
        return RunCommand("cd '" + m_game.string() + "' && '" + tool + "' fetch-dream " + args +
                          " > out.txt 2>&1");
    }
    std::string Output() { return ReadTextFile(m_game / "out.txt"); }
    void StartServer(const std::vector<std::string>& args) {
        m_server = std::make_unique<ServerProcess>(fs::absolute("tool/server"), "file", args);
        ASSERT_TRUE(m_server->started());
        WriteTextFile(m_server->dreams() / "d9.dream", m_dream);
        WriteTextFile(m_game / "data" / "velmfile_ip.txt",
                      "127.0.0.1 " + std::to_string(m_server->port()) + "\n");
    }

    const fs::path m_game = fs::absolute("tool/game");
    const std::string m_dream = std::string(9000, 'z');
    std::unique_ptr<ServerProcess> m_server;
};

TEST_F(FetchDreamToolTest, CompleteDownloadsExitWithZeroAndNoProfileWithTwo) {
    StartServer({});
    EXPECT_EQ(Fetch("d9"), 0) << Output();
    EXPECT_TRUE(ReadTextFile(m_game / "vvw_tmp" / "d9" / "d9.dream") == m_dream);
    const std::string output = Output();
    for (const char* line : {"as Alice\n", "> Download Complete.\n", "progress: 9000 of 9000 bytes\n"})
        EXPECT_NE(output.find(line), std::string::npos) << output;
    EXPECT_EQ(Fetch("d9 --profile bob.ini"), 0) << Output();
    fs::remove(m_game / "alice.ini");
    fs::remove(m_game / "bob.ini");
    EXPECT_EQ(Fetch("d9"), 2);  // no profile
    EXPECT_NE(m_server->transcript().find("request d9 by Alice"), std::string::npos);
    EXPECT_NE(m_server->transcript().find("request d9 by Bob"), std::string::npos);
}

}  // namespace
