// Dream downloads from the stand-in file server on loopback, through the transfer store, with every
// fault the server can play.
#include <gtest/gtest.h>

#include <memory>

#include "ServerProcess.h"
#include "data/PlayerProfile.h"
#include "net/NetClient.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"

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
        VELM::FileGetter::SetPassIntervalForTests(1ms);
        NetClient::SetPollingForTests(2ms, 5ms);
        ResetVelmDataForTests();
        fs::remove_all("vvw_tmp");
        fs::remove_all("data");
        WriteTextFile("tester.ini",
                      "V1.6\nName=Bob\nPassword=hunter2\nColors=abcdefghij\nDesc=tester\nSpec=12\n");
        ASSERT_TRUE(LoadPlayerIni("tester.ini"));
        ClearLog(errorLog);
        ClearLog(netLog);
    }
    void TearDown() override {
        ResetVelmDataForTests();
        m_server.reset();
        VELM::FileGetter::SetPassIntervalForTests(25ms);
        NetClient::SetPollingForTests(20ms, 100ms);
    }

    // Starts the server with a dream file of the given size and points the address file at it.
    void StartServer(std::size_t dreamSize, const std::vector<std::string>& args) {
        fs::remove_all("server");
        m_server = std::make_unique<ServerProcess>(fs::absolute("server"), args);
        ASSERT_TRUE(m_server->started());
        m_dream.resize(dreamSize);
        for (std::size_t i = 0; i < dreamSize; ++i) m_dream[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        WriteTextFile(m_server->dreams() / "d1.dream", m_dream);
        WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 " + std::to_string(m_server->port()) + "\n");
    }
    // Starts the download of d1 and waits until its getter is finished; the bytes written so far.
    int Download() {
        m_getter = StartDownload("d1", 0, "vvw_tmp\\d1");
        EXPECT_TRUE(WaitUntil([&] { return m_getter->IsFinished(); }, 20s));
        int written = 0, total = 0;
        m_getter->GetProgress(written, total);
        return written;
    }

    std::unique_ptr<ServerProcess> m_server;
    std::string m_dream;
    VELM::FileGetter* m_getter = nullptr;
};

struct CompleteCase {
    const char* name;
    std::size_t size;
    std::vector<std::string> args;
};

class CompleteDownloadTest : public FileGetterTest, public ::testing::WithParamInterface<CompleteCase> {};

TEST_P(CompleteDownloadTest, WholeFileArrivesAndTheServerSeesEveryAcknowledgement) {
    std::vector<std::string> args = GetParam().args;
    args.push_back("--once");
    StartServer(GetParam().size, args);
    EXPECT_EQ(Download(), static_cast<int>(GetParam().size));
    EXPECT_TRUE(m_getter->IsComplete()) << LogText(errorLog) << m_server->transcript();
    EXPECT_TRUE(ReadTextFile("vvw_tmp/d1/d1.dream") == m_dream);  // (binary: not printed)
    EXPECT_EQ(TakeMessages(),
              (Lines{"> File Server welcome received.  Requesting transfer...",
                     "> Transfer request accepted.  Download beginning.", "> Download Complete."}));
    if (!Contains(GetParam().name, "close")) {
        EXPECT_EQ(m_server->WaitForExit(10s), 0) << m_server->transcript();  // every PKOK right, then BYE
    }
    EXPECT_EQ(LogText(errorLog), "");
    // The request line reaches the server but its name and password do not reach the net log.
    EXPECT_TRUE(Contains(m_server->transcript(), "received: RC Bob hunter2 d1 0 2 4096"));
    EXPECT_TRUE(Contains(LogText(netLog), "{SENT TO SERVER}RC (NAME/PASS REMOVED FOR SECURITY)\n"));
    EXPECT_FALSE(Contains(LogText(netLog), "hunter2"));
}

INSTANTIATE_TEST_SUITE_P(
    Servers, CompleteDownloadTest,
    ::testing::Values(
        CompleteCase{"three_full_blocks", 3 * 4086, {}}, CompleteCase{"one_byte", 1, {}},
        CompleteCase{"window_of_one", 5000, {"--window", "1"}},
        CompleteCase{"small_blocks", 1000, {"--block-size", "64", "--window", "4"}},
        CompleteCase{"split_welcome", 100, {"--fault", "split-welcome"}},
        CompleteCase{"drip", 150, {"--fault", "drip", "--block-size", "40"}},
        CompleteCase{"close_after_last", 20 * 4086 + 5, {"--fault", "close-after-last", "--window", "100"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileGetterTest, FaultEndsTheDownloadAsFailedWithoutBye) {
    const std::pair<const char*, const char*> cases[] = {
        {"repeat-block",
         "Out of order data block received from file server... aborting. (I know, I should handle this "
         "better.... later!)\n"},
        {"wrong-marker", "Non-data block recieved while downloading file... aborting.\n"},
        {"garbage-welcome", "Anomolous message recieved in response to file server connect.\n"}};
    for (const auto& [fault, error] : cases) {
        SetUp();
        StartServer(5 * 4086, {"--fault", fault, "--once"});
        Download();
        EXPECT_FALSE(m_getter->IsComplete()) << fault;
        EXPECT_EQ(LogText(errorLog), error);
        EXPECT_EQ(TakeMessages().back(), "> FAILED") << fault;
        EXPECT_FALSE(Contains(m_server->transcript(), "received: BYE")) << fault;
        TearDown();
    }
}

TEST_F(FileGetterTest, ServerClosingInTheMiddleSeversTheDownload) {
    StartServer(10 * 4086, {"--fault", "close-mid", "--window", "2"});
    EXPECT_EQ(Download(), 5 * 4086);  // the blocks sent before the close are kept
    EXPECT_FALSE(m_getter->IsComplete());
    EXPECT_EQ(LogText(errorLog), "warning: file download ended early: d1\n");
    EXPECT_EQ(TakeMessages().back(), "> CONNECTION SEVERED");
    EndTransfer(Transfers().front());  // closes the partly written file, which stays
    EXPECT_TRUE(ReadTextFile("vvw_tmp/d1/d1.dream") == m_dream.substr(0, 5 * 4086));
}

TEST_F(FileGetterTest, IdThatCannotNameAFileIsRefused) {
    for (const std::string& id :
         {std::string(""), std::string(".."), std::string("../escape"), std::string("a/b"),
          std::string("a\\b"), std::string("/etc/evil"), std::string("C:evil"), std::string("dream\n"),
          std::string("d\0x", 3), std::string("tab\tid")}) {
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

TEST_F(FileGetterTest, MissingAddressFileFinishesAtOnceWithoutStatus) {
    EXPECT_EQ(Download(), 0);
    EXPECT_FALSE(m_getter->IsComplete());
    EXPECT_EQ(LogText(errorLog),
              "Failed to load velm's file-server ip and port from \\data\\velmfile_ip.txt file.\n"
              "Unable to resolve host \"Failed to load\" port 0\nFailed to connect to velm file server.\n");
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(FileGetterTest, SilentServerKeepsTheGetterWaitingUntilItIsEnded) {
    StartServer(100, {"--fault", "silent"});
    VELM::FileGetter* getter = StartDownload("d1", 0, "vvw_tmp\\d1");
    std::this_thread::sleep_for(100ms);  // many passes: nothing may happen
    EXPECT_FALSE(getter->IsFinished());
    int sent = 0;
    PollTransfers([&](std::string_view) { return ++sent > 0; });  // leaves a running download alone
    EXPECT_EQ(sent, 0);
    ASSERT_EQ(Transfers().size(), 1u);
    EndTransfer(Transfers().front());
    EXPECT_TRUE(Transfers().empty());
    EXPECT_TRUE(fs::exists("vvw_tmp/d1/d1.dream"));  // the partly written file stays
}

TEST_F(FileGetterTest, PollEndsTheNewestFinishedDreamFirst) {
    // No address file: both getters are finished from the start.
    StartDownload("older", 0, "vvw_tmp\\older");
    StartDownload("newer", 0, "vvw_tmp\\newer");
    Lines lines;
    const LineSender sender = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    PollTransfers(sender);
    EXPECT_EQ(lines, (Lines{"meadowcross", "goback"}));
    ASSERT_EQ(Transfers().size(), 1u);
    EXPECT_EQ(Transfers().front().id, "older");
    EXPECT_EQ(TakeMessages(),
              Lines{">  NOTE:  Dreams still need to be decompressed... not done yet... so can't "
                    "enter yet.  Returning to normal map."});
    PollTransfers(sender);
    PollTransfers(sender);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Transfers().empty());
}

TEST_F(FileGetterTest, EndingAnUnknownTransferIsReported) {
    VELM::FileGetter* getter = StartDownload("known", 0, "vvw_tmp\\known");
    ClearLog(errorLog);
    TransferRecord other{0, false, "known", reinterpret_cast<VELM::FileGetter*>(&other)};
    EndTransfer(other);
    ASSERT_EQ(Transfers().size(), 1u);
    EXPECT_EQ(Transfers().front().getter, getter);
    EXPECT_EQ(
        LogText(errorLog).rfind("Attempt to end a transfer that doesn't exist.\n  -transfer type: download "
                                "dream\n  -transfer ID: known\n  -call stack:\n",
                                0),
        0u)
        << LogText(errorLog);
    ClearLog(errorLog);
    EndTransfer(TransferRecord{3, true, "p", nullptr});
    EXPECT_TRUE(Contains(LogText(errorLog), "  -transfer type: upload portrait\n"));
}

TEST(VelmDataTest, MessagesQueueInOrderAndRecordsAreRemovedByCell) {
    ResetVelmDataForTests();
    std::string text = "kept";
    EXPECT_FALSE(NextTransferMessage(text));
    EXPECT_EQ(text, "kept");  // an empty queue leaves the argument alone
    PostTransferMessage("a");
    PostTransferMessage("b");
    EXPECT_EQ(TakeMessages(), (Lines{"a", "b"}));

    CharacterRecord first;
    first.x = 3;
    first.y = 4;
    first.direction = 1;
    CharacterRecord second = first;
    second.direction = 2;
    AddCharacter(first);
    AddCharacter(second);
    ASSERT_NE(FindCharacterAt(3, 4), nullptr);
    EXPECT_EQ(FindCharacterAt(3, 4)->direction, 1);
    EXPECT_EQ(FindCharacterAt(4, 3), nullptr);
    RemoveCharacterAt(3, 4);  // only the first at that cell
    ASSERT_EQ(CharacterList().size(), 1u);
    EXPECT_EQ(CharacterList().front().direction, 2);
    AddDreamMarker({1, 2, "Red", "door"});
    AddDreamMarker({5, 6, "Blue", ""});
    RemoveDreamMarkerAt(1, 2);
    ASSERT_EQ(DreamMarkerList().size(), 1u);
    EXPECT_EQ(DreamMarkerList().front().line1, "Blue");
}
}  // namespace
