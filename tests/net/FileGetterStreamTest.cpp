// The download exchange driven directly with bytes: what is sent back, what is written, what is posted.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/FileGetterStream.h"
#include "net/VelmDataManager.h"
#include "support/TestSupport.h"

namespace {
using VELM::FileGetterStream;

std::string Block(std::uint32_t number, const std::string& payload, int blockSize,
                  const char* marker = "SC") {
    std::string block(static_cast<std::size_t>(blockSize), '\0');
    block[0] = marker[0];
    block[1] = marker[1];
    for (int i = 0; i < 4; ++i) block[2 + i] = static_cast<char>(number >> (8 * i));
    block.replace(10, payload.size(), payload);
    return block;
}

std::vector<std::string> TakeMessages() {
    std::vector<std::string> messages;
    for (std::string text; NextTransferMessage(text);) messages.push_back(text);
    return messages;
}

class FileGetterStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLog(errorLog);
        ResetVelmDataForTests();
        m_file = std::tmpfile();
    }
    void TearDown() override { std::fclose(m_file); }

    FileGetterStream Make(const std::string& id = "dream7") {
        return FileGetterStream(
            id, "Bob", "hunter2", [this](const std::string& m) { sent.push_back(m); }, m_file);
    }
    void Feed(FileGetterStream& stream, const std::string& bytes) {
        stream.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    // Steps until nothing more can be done; the number of steps taken.
    int Run(FileGetterStream& stream) {
        int steps = 0;
        while (stream.Step()) ++steps;
        return steps;
    }
    std::string Written() {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string bytes;
        for (int c; (c = std::fgetc(m_file)) != EOF;) bytes += static_cast<char>(c);
        return bytes;
    }

    std::vector<std::string> sent;
    std::FILE* m_file = nullptr;
};

TEST_F(FileGetterStreamTest, WelcomeInTwoPiecesIsActedOnOnlyAtItsLineFeed) {
    FileGetterStream stream = Make();
    Feed(stream, "10 welc");
    EXPECT_FALSE(stream.Step());
    EXPECT_TRUE(sent.empty());
    Feed(stream, "ome\n44 5 0 16\n");
    EXPECT_TRUE(stream.Step());
    EXPECT_EQ(sent, std::vector<std::string>{"RC Bob hunter2 dream7 0 2 4096\n"});
    EXPECT_EQ(stream.State(), FileGetterStream::kAwaitingReply);
    EXPECT_TRUE(stream.Step());  // the reply, one step later
    EXPECT_EQ(stream.State(), FileGetterStream::kReceivingBlocks);
    EXPECT_EQ(TakeMessages(),
              (std::vector<std::string>{"> File Server welcome received.  Requesting transfer...",
                                        "> Transfer request accepted.  Download beginning."}));
}

// Files of k full blocks, of one byte, and of a partly filled last block; block size 16 (6 payload bytes).
struct SizeCase {
    int fileSize;
    int blocks;
};

class BlockCountTest : public FileGetterStreamTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(BlockCountTest, PayloadIsWrittenAndEveryBlockAcknowledged) {
    std::string file;
    for (int i = 0; i < GetParam().fileSize; ++i) file += static_cast<char>('a' + i % 26);
    FileGetterStream stream = Make();
    Feed(stream, "10 hi\n44 " + std::to_string(GetParam().fileSize) + " 0 16\n");
    for (int n = 0; n < GetParam().blocks; ++n) {
        Feed(stream,
             Block(static_cast<std::uint32_t>(n), file.substr(static_cast<std::size_t>(n) * 6, 6), 16));
    }
    EXPECT_EQ(Run(stream), 2 + GetParam().blocks);
    EXPECT_EQ(stream.State(), FileGetterStream::kComplete);
    EXPECT_TRUE(stream.Finished());
    EXPECT_EQ(Written(), file);
    EXPECT_EQ(stream.BytesWritten(), GetParam().fileSize);
    EXPECT_EQ(stream.FileSize(), GetParam().fileSize);
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(GetParam().blocks) + 2);
    for (int n = 0; n < GetParam().blocks; ++n) EXPECT_EQ(sent[1 + n], "PKOK " + std::to_string(n) + "\n");
    EXPECT_EQ(sent.back(), "BYE\n");
    EXPECT_EQ(TakeMessages().back(), "> Download Complete.");
}

INSTANTIATE_TEST_SUITE_P(Sizes, BlockCountTest,
                         ::testing::Values(SizeCase{18, 3}, SizeCase{1, 1}, SizeCase{7, 2}, SizeCase{6, 1}));

TEST_F(FileGetterStreamTest, EmptyFileIsCompleteWithoutBlocks) {
    FileGetterStream stream = Make();
    Feed(stream, "10 hi\n44 0 0 16\n");
    EXPECT_EQ(Run(stream), 2);
    EXPECT_EQ(stream.State(), FileGetterStream::kComplete);
    EXPECT_EQ(sent.back(), "BYE\n");
}

struct FailureCase {
    const char* name;
    std::string bytes;  // after the welcome for all but the welcome cases
    const char* error;
};

class StreamFailureTest : public FileGetterStreamTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StreamFailureTest, UnexpectedInputFailsTheDownload) {
    FileGetterStream stream = Make();
    Feed(stream, GetParam().bytes);
    Run(stream);
    EXPECT_EQ(stream.State(), FileGetterStream::kFailed);
    EXPECT_TRUE(stream.Finished());
    EXPECT_EQ(LogText(errorLog), GetParam().error);
    EXPECT_EQ(TakeMessages().back(), "> FAILED");
    for (const std::string& message : sent) EXPECT_NE(message, "BYE\n");
}

const char* const kBadWelcome = "Anomolous message recieved in response to file server connect.\n";
const char* const kBadReply = "Anomolous response recieved to RC request.\n";
const char* const kBadMarker = "Non-data block recieved while downloading file... aborting.\n";
const char* const kOutOfOrder =
    "Out of order data block received from file server... aborting. (I know, I should handle this better.... "
    "later!)\n";

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamFailureTest,
    ::testing::Values(
        FailureCase{"garbage welcome", "HELLO\n", kBadWelcome},
        FailureCase{"short welcome", "10\n", kBadWelcome},
        FailureCase{"endless welcome", std::string(5000, 'x'), kBadWelcome},
        FailureCase{"refusal", "10 hi\n45 no such file\n", kBadReply},
        FailureCase{"three words", "10 hi\n44 100 0\n", kBadReply},
        FailureCase{"block size 10", "10 hi\n44 100 0 10\n", kBadReply},
        FailureCase{"negative size", "10 hi\n44 -5 0 16\n", kBadReply},
        FailureCase{"huge block size", "10 hi\n44 100 0 99999999\n", kBadReply},
        FailureCase{"wrong marker", "10 hi\n44 12 0 16\n" + Block(0, "abcdef", 16, "XX"), kBadMarker},
        FailureCase{"repeated last block",
                    "10 hi\n44 12 0 16\n" + Block(0, "abcdef", 16) + Block(0, "abcdef", 16), kOutOfOrder},
        FailureCase{"skipped block", "10 hi\n44 18 0 16\n" + Block(1, "abcdef", 16), kOutOfOrder}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(FileGetterStreamTest, HugeSizeDoesNotOverflow) {
    FileGetterStream stream = Make();
    Feed(stream, "10 hi\n44 99999999999999999999 0 16\n");
    Run(stream);
    EXPECT_EQ(stream.State(), FileGetterStream::kReceivingBlocks);
    EXPECT_EQ(stream.FileSize(), 2147483647);
}

}  // namespace

// The seeds of the getter's fuzz target: a first byte that sets the piece size in which the rest arrives,
// then the bytes after the welcome. They go to this test's folder and, with VELM_WRITE_SEEDS=1, to
// fuzz/seeds/FileGetter/ of the source tree. Each is checked to drive a stream to its intended end.
TEST_F(FileGetterStreamTest, FuzzSeedsReachTheirEnds) {
    struct Seed {
        const char* name;
        std::string bytes;
        int state;
    };
    const std::string reply = "44 18 0 16\n";
    const std::string blocks = Block(0, "abcdef", 16) + Block(1, "ghijkl", 16) + Block(2, "mnopqr", 16);
    const std::vector<Seed> seeds = {
        {"complete.bin", "\x03" + reply + blocks, FileGetterStream::kComplete},
        {"crlf.bin",
         "\x40"
         "44 7 0 16\r\n" +
             Block(0, "abcdef", 16) + Block(1, "g", 16),
         FileGetterStream::kComplete},
        {"repeat.bin", "\x10" + reply + Block(0, "abcdef", 16) + Block(0, "abcdef", 16),
         FileGetterStream::kFailed},
        {"marker.bin", "\x01" + reply + Block(0, "abcdef", 16, "CS"), FileGetterStream::kFailed},
        {"refused.bin", std::string("\x07") + "45 no\n", FileGetterStream::kFailed},
    };
    const char* source = std::getenv("VELM_SOURCE_DIR");
    const char* write = std::getenv("VELM_WRITE_SEEDS");
    for (const Seed& seed : seeds) {
        WriteTextFile(std::string("seeds/FileGetter/") + seed.name, seed.bytes);
        if (source != nullptr && write != nullptr && std::string(write) == "1") {
            WriteTextFile(std::string(source) + "/fuzz/seeds/FileGetter/" + seed.name, seed.bytes);
        }
        FileGetterStream stream = Make();
        Feed(stream, "10 welcome\n");
        const std::size_t piece = 1 + static_cast<unsigned char>(seed.bytes[0]) % 64;
        for (std::size_t at = 1; at < seed.bytes.size(); at += piece) {
            Feed(stream, seed.bytes.substr(at, piece));
            Run(stream);
        }
        EXPECT_EQ(stream.State(), seed.state) << seed.name;
    }
}
