// Dream downloads from the stand-in file server on loopback, through the transfer store, with every
// fault the server can play.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ServerProcess.h"
#include "data/PlayerProfile.h"
#include "net/NetClient.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"
#include "support/TestSupport.h"

namespace {
using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::vector<std::string> TakeMessages() {
    std::vector<std::string> messages;
    for (std::string text; NextTransferMessage(text);) messages.push_back(text);
    return messages;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
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
        m_dream = Pattern(dreamSize);
        WriteTextFile(m_server->dreams() / "d1.dream", m_dream);
        WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 " + std::to_string(m_server->port()) + "\n");
    }

    // Starts the download of id and waits until its getter is finished.
    VELM::FileGetter* Download(const std::string& id = "d1") {
        VELM::FileGetter* getter = StartDownload(id, 0, "vvw_tmp\\" + id);
        EXPECT_TRUE(WaitUntil([&] { return getter->IsFinished(); }, 20s));
        return getter;
    }

    std::string Downloaded(const std::string& id = "d1") {
        return ReadTextFile(fs::path("vvw_tmp") / id / (id + ".dream"));
    }

    std::unique_ptr<ServerProcess> m_server;
    std::string m_dream;
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
    VELM::FileGetter* getter = Download();
    EXPECT_TRUE(getter->IsComplete()) << LogText(errorLog) << m_server->transcript();
    int written = 0, total = 0;
    getter->GetProgress(written, total);
    EXPECT_EQ(written, static_cast<int>(GetParam().size));
    EXPECT_EQ(total, static_cast<int>(GetParam().size));
    EXPECT_TRUE(Downloaded() == m_dream);  // (binary: not printed)
    EXPECT_EQ(TakeMessages(),
              (std::vector<std::string>{"> File Server welcome received.  Requesting transfer...",
                                        "> Transfer request accepted.  Download beginning.",
                                        "> Download Complete."}));
    if (!Contains(GetParam().name, "close")) {
        EXPECT_EQ(m_server->WaitForExit(10s), 0) << m_server->transcript();  // every PKOK right, then BYE
    }
    EXPECT_EQ(LogText(errorLog), "");
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

struct FailedCase {
    const char* fault;
    const char* error;
};

class FailedDownloadTest : public FileGetterTest, public ::testing::WithParamInterface<FailedCase> {};

TEST_P(FailedDownloadTest, FaultEndsTheDownloadAsFailedWithoutBye) {
    StartServer(5 * 4086, {"--fault", GetParam().fault, "--once"});
    VELM::FileGetter* getter = Download();
    EXPECT_FALSE(getter->IsComplete());
    EXPECT_EQ(LogText(errorLog), GetParam().error);
    EXPECT_EQ(TakeMessages().back(), "> FAILED");
    EXPECT_FALSE(Contains(m_server->transcript(), "received: BYE"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedDownloadTest,
    ::testing::Values(
        FailedCase{
            "repeat-block",
            "Out of order data block received from file server... aborting. (I know, I should handle this "
            "better.... later!)\n"},
        FailedCase{"wrong-marker", "Non-data block recieved while downloading file... aborting.\n"},
        FailedCase{"garbage-welcome", "Anomolous message recieved in response to file server connect.\n"}),
    [](const auto& info) {
        std::string name = info.param.fault;
        for (char& c : name) c = c == '-' ? '_' : c;
        return name;
    });

TEST_F(FileGetterTest, ServerClosingInTheMiddleSeversTheDownload) {
    StartServer(10 * 4086, {"--fault", "close-mid", "--window", "2"});
    VELM::FileGetter* getter = Download();
    EXPECT_FALSE(getter->IsComplete());
    EXPECT_EQ(LogText(errorLog), "warning: file download ended early: d1\n");
    EXPECT_EQ(TakeMessages().back(), "> CONNECTION SEVERED");
    int written = 0, total = 0;
    getter->GetProgress(written, total);
    EXPECT_EQ(written, 5 * 4086);      // the blocks sent before the close are kept
    EndTransfer(Transfers().front());  // closes the partly written file, which stays
    EXPECT_TRUE(Downloaded() == m_dream.substr(0, 5 * 4086));
}

TEST_F(FileGetterTest, RequestLineReachesTheServerButNotTheNetLog) {
    StartServer(10, {"--once"});
    Download();
    EXPECT_TRUE(Contains(m_server->transcript(), "received: RC Bob hunter2 d1 0 2 4096"));
    const std::string log = LogText(netLog);
    EXPECT_TRUE(Contains(log, "{SENT TO SERVER}RC (NAME/PASS REMOVED FOR SECURITY)\n")) << log;
    EXPECT_FALSE(Contains(log, "hunter2"));
}

class HostileIdTest : public FileGetterTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(HostileIdTest, IdThatCannotNameAFileIsRefused) {
    const std::string id = GetParam();
    VELM::FileGetter* getter = StartDownload(id, 0, "vvw_tmp\\" + id);
    EXPECT_TRUE(getter->IsFinished());
    EXPECT_FALSE(getter->IsComplete());
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"> FAILED"});
    EXPECT_TRUE(LogText(errorLog).rfind("Refused to download a dream whose id cannot name a file: \"", 0) ==
                0)
        << LogText(errorLog);
    EXPECT_FALSE(fs::exists("vvw_tmp"));
    EXPECT_FALSE(fs::exists("etc"));
}

INSTANTIATE_TEST_SUITE_P(Ids, HostileIdTest,
                         ::testing::Values("", "..", "../escape", "a/b", "a\\b", "/etc/evil", "C:evil",
                                           "dream\n", std::string("d\0x", 3), "tab\tid"));

TEST_F(FileGetterTest, MissingAddressFileFinishesAtOnceWithoutStatus) {
    VELM::FileGetter* getter = StartDownload("d1", 0, "vvw_tmp\\d1");
    EXPECT_TRUE(getter->IsFinished());
    EXPECT_FALSE(getter->IsComplete());
    const std::string log = LogText(errorLog);
    EXPECT_TRUE(
        Contains(log, "Failed to load velm's file-server ip and port from \\data\\velmfile_ip.txt file.\n"));
    EXPECT_TRUE(Contains(log, "Unable to resolve host \"Failed to load\" port 0\n"));
    EXPECT_TRUE(Contains(log, "Failed to connect to velm file server.\n"));
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
    std::vector<std::string> lines;
    const LineSender sender = [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    };
    PollTransfers(sender);
    EXPECT_EQ(lines, (std::vector<std::string>{"meadowcross", "goback"}));
    ASSERT_EQ(Transfers().size(), 1u);
    EXPECT_EQ(Transfers().front().id, "older");
    EXPECT_EQ(TakeMessages(),
              std::vector<std::string>{">  NOTE:  Dreams still need to be decompressed... not done "
                                       "yet... so can't enter yet.  Returning to normal map."});
    PollTransfers(sender);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Transfers().empty());
    PollTransfers(sender);
    EXPECT_EQ(lines.size(), 4u);
}

TEST_F(FileGetterTest, EndingAnUnknownTransferIsReported) {
    VELM::FileGetter* getter = StartDownload("known", 0, "vvw_tmp\\known");
    ClearLog(errorLog);
    TransferRecord other{0, false, "known", reinterpret_cast<VELM::FileGetter*>(&other)};
    EndTransfer(other);
    EXPECT_EQ(Transfers().size(), 1u);
    EXPECT_EQ(Transfers().front().getter, getter);
    const std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Attempt to end a transfer that doesn't exist.\n  -transfer type: download dream\n"
                        "  -transfer ID: known\n  -call stack:\n",
                        0),
              0u)
        << log;
    TransferRecord portrait{3, true, "p", nullptr};
    ClearLog(errorLog);
    EndTransfer(portrait);
    EXPECT_TRUE(Contains(LogText(errorLog), "  -transfer type: upload portrait\n"));
}

TEST(TransferMessageTest, EmptyQueueLeavesTheArgumentAlone) {
    ResetVelmDataForTests();
    std::string text = "kept";
    EXPECT_FALSE(NextTransferMessage(text));
    EXPECT_EQ(text, "kept");
    PostTransferMessage("a");
    PostTransferMessage("b");
    EXPECT_TRUE(NextTransferMessage(text));
    EXPECT_EQ(text, "a");
}

TEST(WorldListTest, RecordsAreFoundAndRemovedByCell) {
    ResetVelmDataForTests();
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
    RemoveAllCharacters();
    EXPECT_TRUE(CharacterList().empty());

    AddDreamMarker({1, 2, "Red", "door"});
    AddDreamMarker({5, 6, "Blue", ""});
    RemoveDreamMarkerAt(1, 2);
    ASSERT_EQ(DreamMarkerList().size(), 1u);
    EXPECT_EQ(DreamMarkerList().front().line1, "Blue");
    RemoveAllDreamMarkers();
    EXPECT_TRUE(DreamMarkerList().empty());

    SetPlayerPosition(7, -2);
    std::int32_t x = 0, y = 0;
    GetPlayerPosition(x, y);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, -2);
}

}  // namespace
