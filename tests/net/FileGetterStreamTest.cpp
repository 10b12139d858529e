// The download exchange driven directly with bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/FileGetterStream.h"
#include "net/VelmDataManager.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
using VELM::FileGetterStream;

std::string Block(std::uint32_t number, const std::string& payload, const char* marker = "SC") {
    std::string block(16, '\0');  // 6 payload bytes
    block.replace(0, 2, marker);
    for (int i = 0; i < 4; ++i) block[2 + i] = static_cast<char>(number >> (8 * i));
    return block.replace(10, payload.size(), payload);
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
        ResetProcessState();
        sent.clear();
        if (m_file != nullptr) std::fclose(m_file);
        m_file = std::tmpfile();
    }
    void TearDown() override { std::fclose(m_file); }

    FileGetterStream Make() {
        return FileGetterStream(
            "dream7", "Bob", "hunter2", [this](const std::string& m) { sent.push_back(m); }, m_file);
    }
    void Feed(FileGetterStream& stream, const std::string& bytes) {
        stream.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    static void Steps(FileGetterStream& stream) {
        while (stream.Step()) {
        }
    }
    std::vector<std::string> sent;
    std::FILE* m_file = nullptr;
};

TEST_F(FileGetterStreamTest, UnexpectedInputFailsTheDownload) {
    const std::string welcome = "Anomolous message recieved in response to file server connect.\n";
    const std::string reply = "Anomolous response recieved to RC request.\n";
    const std::pair<std::string, std::string> cases[] = {
        {"HELLO\n", welcome},
        {std::string(5000, 'x'), welcome},  // a welcome line that never ends
        {"10 hi\n45 no such file\n", reply},
        {"10 hi\n44 -5 0 16\n", reply},
        {"10 hi\n44 100 0 99999999\n", reply},
    };
    for (const auto& [bytes, error] : cases) {
        SetUp();
        FileGetterStream stream = Make();
        Feed(stream, bytes);
        Steps(stream);
        EXPECT_TRUE(stream.Finished() && stream.State() == FileGetterStream::kFailed) << bytes;
        EXPECT_EQ(LogText(errorLog), error) << bytes;
        EXPECT_EQ(TakeMessages().back(), "> FAILED");
        for (const std::string& message : sent) EXPECT_NE(message, "BYE\n");
    }
}

TEST_F(FileGetterStreamTest, HugeSizeDoesNotOverflow) {
    FileGetterStream stream = Make();
    Feed(stream, "10 hi\n44 99999999999999999999 0 16\n");
    Steps(stream);
    EXPECT_EQ(stream.State(), FileGetterStream::kReceivingBlocks);
    EXPECT_EQ(stream.FileSize(), 2147483647);
}

// The fuzz target's seeds (a piece size byte, then the bytes after the welcome), written with
// VELM_WRITE_SEEDS=1 to fuzz/seeds/FileGetter/; each drives a stream to its intended end.
TEST_F(FileGetterStreamTest, FuzzSeedsReachTheirEnds) {
    const std::string reply = "44 18 0 16\n";
    const std::string blocks = Block(0, "abcdef") + Block(1, "ghijkl") + Block(2, "mnopqr");
    const std::tuple<const char*, std::string, int> seeds[] = {
        {"complete.bin", "\x03" + reply + blocks, FileGetterStream::kComplete},
        {"crlf.bin", "\x40" + std::string("44 7 0 16\r\n") + Block(0, "abcdef") + Block(1, "g"),
         FileGetterStream::kComplete},
        {"repeat.bin", "\x10" + reply + Block(0, "abcdef") + Block(0, "abcdef"), FileGetterStream::kFailed},
        {"marker.bin", "\x01" + reply + Block(0, "abcdef", "CS"), FileGetterStream::kFailed},
        {"refused.bin", std::string("\x07") + "45 no\n", FileGetterStream::kFailed},
    };
    const char* source = std::getenv("VELM_SOURCE_DIR");
    const char* write = std::getenv("VELM_WRITE_SEEDS");
    for (const auto& [name, bytes, state] : seeds) {
        WriteTextFile(std::string("seeds/FileGetter/") + name, bytes);
        if (source != nullptr && write != nullptr && std::string(write) == "1")
            WriteTextFile(std::string(source) + "/fuzz/seeds/FileGetter/" + name, bytes);
        FileGetterStream stream = Make();
        Feed(stream, "10 welcome\n");
        const std::size_t piece = 1 + static_cast<unsigned char>(bytes[0]) % 64;
        for (std::size_t at = 1; at < bytes.size(); at += piece) {
            Feed(stream, bytes.substr(at, piece));
            Steps(stream);
        }
        EXPECT_EQ(stream.State(), state) << name;
    }
}
}  // namespace
