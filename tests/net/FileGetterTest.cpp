// Dream downloads from the stand-in file server on loopback, with the server's faults.
#include <gtest/gtest.h>

#include <memory>

#include "ServerProcess.h"
#include "data/PlayerProfile.h"
#include "net/NetClient.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"
#include "runtime/ProcessState.h"

namespace {
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines TakeMessages() {
    Lines messages;
    for (std::string text; NextTransferMessage(text);) messages.push_back(text);
    return messages;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class FileGetterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        VELM::FileGetter::SetPassInterval(1ms);
        NetClient::SetPolling({2ms, 5ms});
        fs::remove_all("vvw_tmp");
        fs::remove_all("data");
        WriteTextFile("tester.ini",
                      "V1.6\nName=Bob\nPassword=hunter2\nColors=abcdefghij\nDesc=tester\nSpec=12\n");
        ASSERT_TRUE(LoadPlayerIni("tester.ini"));
        ClearLog(errorLog);
    }
    void TearDown() override {
        ResetProcessState();
        m_server.reset();
    }

    std::unique_ptr<ServerProcess> m_server;
};

// Per server behaviour: bytes written (-1: not checked), errors, last status text. Only a complete
// download says "BYE"; what was written stays.
TEST_F(FileGetterTest, DownloadsEndCompleteFailedOrSevered) {
    const char *done = "> Download Complete.", *failed = "> FAILED", *cut = "> CONNECTION SEVERED";
    const std::string order =
        "Out of order data block received from file server... aborting. (I know, I should "
        "handle this better.... later!)\n";
    const std::string marker = "Non-data block recieved while downloading file... aborting.\n";
    const std::string severed = "warning: file download ended early: d1\n";
    const int b = 4086, big = 20 * b + 5;  // payload bytes of a block
    const struct {
        const char* name;
        int size;
        std::vector<std::string> args;
        int written;
        std::string error;
        const char* last;
    } cases[] = {
        {"exact multiple", 3 * b, {}, 3 * b, "", done},
        {"split welcome", 100, {"--fault", "split-welcome"}, 100, "", done},
        {"close after last", big, {"--fault", "close-after-last", "--window", "100"}, big, "", done},
        {"close in the middle", 10 * b, {"--fault", "close-mid", "--window", "2"}, 5 * b, severed, cut},
        {"repeat block", 5 * b, {"--fault", "repeat-block"}, -1, order, failed},
        {"wrong marker", 5 * b, {"--fault", "wrong-marker"}, -1, marker, failed},
    };
    for (const auto& c : cases) {
        SetUp();
        std::vector<std::string> args = c.args;
        args.push_back("--once");
        m_server = std::make_unique<ServerProcess>(fs::absolute("server"), "file", args);
        ASSERT_TRUE(m_server->started());
        std::string dream(c.size, '\0');
        for (int i = 0; i < c.size; ++i) dream[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        WriteTextFile(m_server->dreams() / "d1.dream", dream);
        WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 " + std::to_string(m_server->port()) + "\n");
        VELM::FileGetter* getter = StartDownload("d1", 0, "vvw_tmp\\d1");
        EXPECT_TRUE(WaitUntil([&] { return getter->IsFinished(); }, 20s));
        int written = 0, total = 0;
        getter->GetProgress(written, total);
        EXPECT_TRUE(c.written < 0 || written == c.written) << c.name << ": " << written;
        EXPECT_EQ(getter->IsComplete(), c.last == done) << c.name;
        EXPECT_EQ(LogText(errorLog), c.error) << c.name << m_server->transcript();
        EXPECT_EQ(TakeMessages().back(), c.last) << c.name;
        EndTransfer(Transfers().front());
        EXPECT_TRUE(ReadTextFile("vvw_tmp/d1/d1.dream") == dream.substr(0, written)) << c.name;
        const bool bye = c.last == done && !Contains(c.name, "close");
        EXPECT_TRUE(!bye || m_server->WaitForExit(10s) == 0) << m_server->transcript();  // every PKOK right
        EXPECT_TRUE(c.last != done ||
                    Contains(m_server->transcript(), "received: RC Bob hunter2 d1 0 2 4096"));
        EXPECT_EQ(Contains(m_server->transcript(), "received: BYE"), bye) << c.name;
        TearDown();
    }
}

TEST_F(FileGetterTest, IdThatCannotNameAFileIsRefused) {
    using namespace std::string_literals;
    for (const std::string& id : {""s, "../escape"s, "a\\b"s, "/etc/evil"s, "C:evil"s, "d\0x"s}) {
        SetUp();
        VELM::FileGetter* getter = StartDownload(id, 0, "vvw_tmp\\" + id);
        EXPECT_TRUE(getter->IsFinished() && !getter->IsComplete()) << id;
        EXPECT_EQ(TakeMessages(), Lines{"> FAILED"}) << id;
        EXPECT_EQ(LogText(errorLog).rfind("Refused to download a dream whose id cannot name a file: \"", 0),
                  0u)
            << LogText(errorLog);
        EXPECT_FALSE(fs::exists("vvw_tmp") || fs::exists("etc")) << id;
        TearDown();
    }
}

TEST_F(FileGetterTest, WithoutAnAddressFileGettersFinishAtOnceAndPollEndsTheNewestFirst) {
    VELM::FileGetter* older = StartDownload("older", 0, "vvw_tmp\\older");
    EXPECT_TRUE(older->IsFinished() && !older->IsComplete());
    EXPECT_EQ(LogText(errorLog),
              "Failed to load velm's file-server ip and port from \\data\\velmfile_ip.txt file.\n"
              "Unable to resolve host \"Failed to load\" port 0\nFailed to connect to velm file server.\n");
    StartDownload("newer", 0, "vvw_tmp\\newer");
    PollTransfers([](std::string_view) { return true; });
    ASSERT_EQ(Transfers().size(), 1u);
    EXPECT_EQ(Transfers().front().id, "older");
}
}  // namespace
