// velm-tool fetch-dream in a game directory of its own against the stand-in file server.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ServerProcess.h"
#include "support/TestSupport.h"

namespace {
namespace fs = std::filesystem;

class FetchDreamToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all("tool");
        m_game = fs::absolute("tool/game");
        fs::create_directories(m_game);
        // Two complete profiles: the first by name order is used unless another is named.
        WriteTextFile(m_game / "alice.ini",
                      "V1.6\nName=Alice\nPassword=pa55\nColors=aaaaaaaaaa\nDesc=a\nSpec=11\n");
        WriteTextFile(m_game / "bob.ini",
                      "V1.6\nName=Bob\nPassword=hunter2\nColors=bbbbbbbbbb\nDesc=b\nSpec=22\n");
    }

    int Fetch(const std::string& args) {
        const std::string tool = BuiltProgram("tools/velm-tool/velm-tool").string();
        return RunCommand("cd '" + m_game.string() + "' && '" + tool + "' fetch-dream " + args +
                          " > out.txt 2>&1");
    }
    std::string Output() { return ReadTextFile(m_game / "out.txt"); }

    void StartServer(const std::vector<std::string>& args, std::size_t size) {
        m_server = std::make_unique<ServerProcess>(fs::absolute("tool/server"), args);
        ASSERT_TRUE(m_server->started());
        m_dream = std::string(size, 'z');
        WriteTextFile(m_server->dreams() / "d9.dream", m_dream);
        WriteTextFile(m_game / "data" / "velmfile_ip.txt",
                      "127.0.0.1 " + std::to_string(m_server->port()) + "\n");
    }

    fs::path m_game;
    std::unique_ptr<ServerProcess> m_server;
    std::string m_dream;
};

TEST_F(FetchDreamToolTest, CompleteDownloadExitsWithZero) {
    StartServer({"--once"}, 9000);
    EXPECT_EQ(Fetch("d9"), 0) << Output();
    EXPECT_TRUE(ReadTextFile(m_game / "vvw_tmp" / "d9" / "d9.dream") == m_dream);
    const std::string output = Output();
    EXPECT_NE(output.find("as Alice\n"), std::string::npos) << output;
    EXPECT_NE(output.find("> Download Complete.\n"), std::string::npos) << output;
    EXPECT_NE(output.find("progress: 9000 of 9000 bytes\n"), std::string::npos) << output;
    EXPECT_NE(m_server->transcript().find("request d9 by Alice"), std::string::npos);
}

TEST_F(FetchDreamToolTest, NamedProfileIsUsed) {
    StartServer({"--once"}, 10);
    EXPECT_EQ(Fetch("d9 --profile bob.ini"), 0) << Output();
    EXPECT_NE(m_server->transcript().find("request d9 by Bob"), std::string::npos);
}

TEST_F(FetchDreamToolTest, FailedDownloadExitsWithOne) {
    StartServer({"--fault", "wrong-marker"}, 9000);
    EXPECT_EQ(Fetch("d9"), 1) << Output();
    EXPECT_NE(Output().find("> FAILED\n"), std::string::npos) << Output();
}

TEST_F(FetchDreamToolTest, NoProfileIsAUsageError) {
    fs::remove(m_game / "alice.ini");
    fs::remove(m_game / "bob.ini");
    EXPECT_EQ(Fetch("d9"), 2);
}

}  // namespace
