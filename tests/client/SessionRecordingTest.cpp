// Session recordings: format, recorder, options.
#include <sys/stat.h>

#include <tuple>

#include "ClientTestSupport.h"
#include "client/ServerLines.h"
#include "client/SessionOptions.h"
#include "client/SessionRecorder.h"
#include "client/SessionRecording.h"
#include "client/SessionReplay.h"
#include "data/PlayerProfile.h"

namespace {

using Kind = RecordedEntry::Kind;

Recording Parse(std::string_view bytes, std::string& message) {
    Recording recording;
    EXPECT_TRUE(ParseRecording(bytes, recording, message));
    return recording;
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
    std::vector<std::pair<Kind, std::string>> entries;
    for (const RecordedEntry& entry : recording.entries) entries.emplace_back(entry.kind, entry.bytes);
    const std::string masked = "connect (NAME/PASS REMOVED FOR SECURITY)\n";
    EXPECT_EQ(entries, (std::vector<std::pair<Kind, std::string>>{{Kind::Player, "Bob"},
                                                                  {Kind::Server, "127.0.0.1 " + port},
                                                                  {Kind::Received, "Hi\nEND\n"},
                                                                  {Kind::Sent, masked},
                                                                  {Kind::Received, "&&&&&&&&&&&&&\n"},
                                                                  {Kind::Sent, "desc A cat\n"},
                                                                  {Kind::Sent, "color 0123456789#' \n"}}));
    EXPECT_NE(LogText(netLog).find("{SENT TO SERVER}" + masked), std::string::npos);
}

TEST_F(SessionTest, OptionsAreCheckedBeforeTheWindowOpens) {
    const struct {
        std::vector<std::string> arguments;
        const char* error;  // empty: accepted
    } rows[] = {
        {{"--record"}, "--record needs a value"},
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
