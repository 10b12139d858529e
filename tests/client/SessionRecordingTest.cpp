// Session recordings: format, recorder, replay, options. VELM_WRITE_SEEDS=1 writes the fuzz seeds.
#include <sys/stat.h>

#include <cstdlib>
#include <tuple>

#include "ClientTestSupport.h"
#include "client/CMain.h"
#include "client/ServerLines.h"
#include "client/SessionOptions.h"
#include "client/SessionRecorder.h"
#include "client/SessionRecording.h"
#include "client/SessionReplay.h"
#include "data/PlayerProfile.h"
#include "gfx/CTextWindow.h"
#include "net/VelmDataManager.h"
#include "platform/Window.h"

namespace {

using Kind = RecordedEntry::Kind;
using Entries = std::vector<RecordedEntry>;

auto Fields(const RecordedEntry& entry) {
    return std::tuple(entry.kind, entry.milliseconds, entry.bytes);
}

void ExpectEntries(const Entries& actual, const Entries& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(Fields(actual[i]), Fields(expected[i])) << i;
}

std::string Encode(const Entries& entries) {
    std::string bytes(kRecordingHeader);
    for (const RecordedEntry& entry : entries) bytes += EncodeRecordedEntry(entry);
    return bytes;
}

Recording Parse(std::string_view bytes, std::string& message) {
    Recording recording;
    EXPECT_TRUE(ParseRecording(bytes, recording, message));
    return recording;
}

Entries Sample() {
    std::string every;
    for (int c = 0; c < 256; ++c) every += static_cast<char>(c);
    return {{Kind::Player, 0, "Bob"},   {Kind::Server, 0, "127.0.0.1 7000"},
            {Kind::Received, 5, every}, {Kind::Sent, 9, "connect (NAME/PASS REMOVED FOR SECURITY)\n"},
            {Kind::Received, 12, ""},   {Kind::Received, 4294967295u, "\nreceived 1 1\n"}};
}

TEST(SessionRecordingFormat, EveryKindTimeAndByteSurvivesTheRoundTrip) {
    const std::string bytes = Encode(Sample());
    std::string message;
    ExpectEntries(Parse(bytes, message).entries, Sample());
    EXPECT_EQ(message, "");

    const char* source = std::getenv("VELM_SOURCE_DIR");
    const char* write = std::getenv("VELM_WRITE_SEEDS");
    if (source != nullptr && write != nullptr && std::string(write) == "1") {
        const std::string folder = std::string(source) + "/fuzz/seeds/Recording/";
        WriteTextFile(folder + "session.rec", bytes);
        WriteTextFile(folder + "cut.rec", bytes.substr(0, bytes.size() - 7));
        WriteTextFile(folder + "damaged.rec", std::string(kRecordingHeader) + "received 3 2\nabc\n");
    }
}

TEST(SessionRecordingFormat, ADamagedOrCutEntryEndsTheRecordingButUnknownKindsAreSkipped) {
    const struct {
        std::string tail;
        std::size_t kept;  // entries kept after the first, which is "received 7 2\nab\n"
        const char* message;
    } rows[] = {
        {"note 7 2\nhi\nsent 7 1\nx\n", 1, ""},                        // a later kind: skipped
        {"received 7 2\nabc\n", 0, "damaged at byte 60"},              // length does not match the bytes
        {"received x 2\nab\n", 0, "damaged at byte 45"},               // not a number
        {"received 99999999999 1\nx\n", 0, "damaged"},                 // beyond 32 bits of milliseconds
        {std::string(70, 'a'), 0, "damaged"},                          // no entry line within 64 bytes
        {"sent 7", 0, "cut short"},                                    // cut in an entry line
        {"sent 7 3\nab", 0, "cut short"},                              // cut in an entry's bytes
        {std::string("sent 7 1\n\0\n", 11) + "\xff", 1, "cut short"},  // a stray byte at the end
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tail);
        std::string message;
        const Recording recording =
            Parse(std::string(kRecordingHeader) + "received 7 2\nab\n" + row.tail, message);
        ASSERT_EQ(recording.entries.size(), 1 + row.kept);
        for (const RecordedEntry& entry : recording.entries) EXPECT_EQ(entry.milliseconds, 7u);
        EXPECT_NE(message.find(row.message), std::string::npos) << message;
        EXPECT_TRUE(*row.message != '\0' || message.empty()) << message;
    }
}

TEST(SessionRecordingFormat, FilesThatAreNotRecordingsAreRefusedWithTheirReason) {
    const std::pair<std::string, const char*> rows[] = {
        {"hello\n", "not a VelmView session recording"},
        {"VELMVIEW SESSION RECORDING 1", "not a VelmView session recording"},  // no line feed
        {"VELMVIEW SESSION RECORDING 2\nreceived 0 0\n\n",
         "of format \"2\", and this VelmView reads format 1"},
    };
    ScratchFolder folder("ForeignRecordings");
    Recording recording;
    std::string message;
    for (const auto& [bytes, reason] : rows) {
        SCOPED_TRACE(bytes);
        WriteTextFile(folder.path() / "file", bytes);
        EXPECT_FALSE(LoadRecording((folder.path() / "file").string(), recording, message));
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
    EXPECT_FALSE(LoadRecording((folder.path() / "missing").string(), recording, message));
    EXPECT_EQ(message, "it cannot be opened");
    // A pipe is refused unopened: opening it would wait for a writer for ever.
    ASSERT_EQ(::mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(LoadRecording((folder.path() / "pipe").string(), recording, message));
    EXPECT_EQ(message, "it is not a regular file");
}

class SessionTest : public ClientTest {
protected:
    static int Prepare(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "velmview");
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        return PrepareSession(static_cast<int>(argv.size()), argv.data());
    }
};

TEST_F(SessionTest, TheRecorderKeepsBlocksAsHandedOverAndSentLinesMaskedAsTheNetLogMasksThem) {
    WriteProfile("bob.ini", "Bob");
    ASSERT_TRUE(LoadPlayerIni("bob.ini"));
    LoopbackServer server;
    NetClient client;
    ASSERT_TRUE(client.Connect("127.0.0.1", server.Port()));
    ASSERT_TRUE(server.Accept());
    SetGameConnection(&client);
    ASSERT_EQ(Prepare({"--record", "session.rec"}), -1);
    RecordReceived(reinterpret_cast<const std::uint8_t*>("early"), 5);  // before the connection: not kept
    RecordConnectionMade("127.0.0.1", server.Port());
    for (const std::string block : {"Hi\nEND\n", "&&&&&&&&&&&&&\n"}) {
        server.Send(block);
        ASSERT_TRUE(WaitFor([&] { return client.PendingBytes() >= block.size(); }));
        PumpServerLines();
    }
    EndSession();
    SetGameConnection(nullptr);

    Recording recording;
    std::string message;
    ASSERT_TRUE(LoadRecording("session.rec", recording, message)) << message;
    const std::string port = std::to_string(server.Port());
    const Entries expected = {{Kind::Player, 0, "Bob"},
                              {Kind::Server, 0, "127.0.0.1 " + port},
                              {Kind::Received, 0, "Hi\nEND\n"},
                              {Kind::Sent, 0, "connect (NAME/PASS REMOVED FOR SECURITY)\n"},
                              {Kind::Received, 0, "&&&&&&&&&&&&&\n"},
                              {Kind::Sent, 0, "desc A cat\n"},
                              {Kind::Sent, 0, "color 0123456789#' \n"}};
    ASSERT_EQ(recording.entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::tuple(recording.entries[i].kind, recording.entries[i].bytes),
                  std::tuple(expected[i].kind, expected[i].bytes));
    EXPECT_NE(LogText(netLog).find("{SENT TO SERVER}" + expected[3].bytes), std::string::npos);
}

TEST_F(SessionTest, BlocksReachTheProtocolAtTheirRecordedTimesScaledBySpeed) {
    const std::string blocks[] = {"Welcome\nEN", "D\n", "&&&&&&&&&&&&&\n(hi there\n", "(bye\n"};
    StartReplay({{{Kind::Received, 125, blocks[0]},
                  {Kind::Received, 250, blocks[1]},
                  {Kind::Received, 500, blocks[2]},
                  {Kind::Sent, 501, "desc A cat\n"},
                  {Kind::Received, 2000, blocks[3]}}},
                4.0);
    ClearLog(netLog);
    const std::pair<float, std::vector<std::string>> steps[] = {
        {0.03125f, {"Welcome"}},  // 125 recorded ms at four times the speed
        {0.03125f, {"END"}},      // the greeting's last line, split across two blocks
        {0.0625f, {"hi there"}},  // the acknowledgement, then a text
        {0.25f, {}},              // 1500 ms: the last block is not due yet
        {0.125f, {"bye"}},
    };
    for (const auto& [seconds, posted] : steps) {
        SCOPED_TRACE(seconds);
        EXPECT_FALSE(ReplayFinished());
        AdvanceReplay(seconds);
        EXPECT_EQ(TakeMessages(), posted);
    }
    EXPECT_TRUE(ReplayFinished());
    EXPECT_EQ(LogText(netLog), blocks[0] + blocks[1] + blocks[2] + blocks[3]);
}

TEST_F(SessionTest, TheReplaySceneShowsTheRecordedConnectionAndTheReplayAndSendsNothing) {
    LoopbackServer server;
    WriteTextFile("data/velm_ip.txt", "127.0.0.1 " + std::to_string(server.Port()) + "\n");
    StartReplay({{{Kind::Player, 0, "Bob\x01\x02"},
                  {Kind::Server, 0, "10.1.2.3 7000"},
                  {Kind::Received, 10, "END\n"},
                  {Kind::Received, 10, "&&&&&&&&&&&&&\n]q lake\n"}}},
                2.0);
    CMain scene;
    EXPECT_EQ(Chat(scene), (std::vector<std::string>{"Connecting to velmoria server at ", "10.1.2.3",
                                                     " on port ", "7000", " ...", "Connected to server."}));
    Type("h\r");
    Key(platform::kVkUp);
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(),
              "REPLAY of Bob's session at 2x: typed lines, moves and clicks send nothing.");
    scene.Update(0.01f);
    EXPECT_EQ(scene.InputLine(), "REPLAY ended. Close the window to quit.");
    EXPECT_EQ(Chat(scene).back(), "> Dream \"lake\" is not downloaded in a replay.");
    EXPECT_TRUE(Transfers().empty());
    EXPECT_FALSE(scene.Connection().IsConnected());  // though the address file names a live server
}

TEST_F(SessionTest, OptionsAreCheckedBeforeTheWindowOpens) {
    const struct {
        std::vector<std::string> arguments;
        const char* error;  // empty: accepted
    } rows[] = {
        {{"--record", "a.rec"}, ""},
        {{"--record"}, "--record needs a value"},
        {{"--replay", ""}, "--replay needs a value"},
        {{"--speed", "4"}, "--speed needs --replay"},
        {{"--record", "a", "--replay", "b"}, "cannot be used together"},
        {{"--replay", "a", "--speed", "4x"}, "--speed takes a number"},
        {{"--replay", "a", "--speed", "1001"}, "--speed takes a number"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        SessionOptions options;
        std::string message;
        EXPECT_EQ(ParseSessionOptions(row.arguments, options, message), *row.error == '\0');
        EXPECT_NE(message.find(row.error), std::string::npos) << message;
    }
    SessionOptions options;
    std::string message;  // others' options are left alone
    ASSERT_TRUE(ParseSessionOptions({"--window", "800x600", "--replay", "a.rec", "--speed", "0.5"}, options,
                                    message));
    EXPECT_EQ(std::tuple(options.replayPath, options.speed), std::tuple("a.rec", 0.5));

    EXPECT_EQ(Prepare({"--speed", "2"}), 2);
    EXPECT_EQ(Prepare({"--record", "no-such-folder/a.rec"}), 1);
    WriteTextFile("cut.rec", std::string(kRecordingHeader) + "received 0 3\nEN");
    EXPECT_EQ(Prepare({"--replay", "cut.rec"}), -1);
    EXPECT_TRUE(IsReplaying());
    EXPECT_NE(ErrorText().find("The recording \"cut.rec\" is incomplete: it ends inside an entry"),
              std::string::npos);
}

}  // namespace
