// The download exchange driven directly with bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "net/FileGetterStream.h"
#include "net/VelmDataManager.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
using VELM::FileGetterStream;

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

}  // namespace
