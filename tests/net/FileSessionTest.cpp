// The file server's exchange without a socket, and the servers' log bound.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "BoundedLog.h"
#include "FileSession.h"
#include "support/TestSupport.h"

namespace {
namespace fs = std::filesystem;

class FileSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_options.root = fs::absolute("session-root").string();
        fs::remove_all(m_options.root);
        WriteTextFile(fs::path(m_options.root) / "dream-one.dream", std::string(100, 'd'));
        fs::create_directories(fs::path(m_options.root) / "folder");
        ::mkfifo((m_options.root + "/fifo").c_str(), 0600);
        m_session = std::make_unique<FileSession>(
            1, m_options, [this](const std::uint8_t* b, std::size_t n) { m_sent.append(b, b + n); },
            [this](const std::string& line) { m_log += line + "\n"; });
        m_session->Start(FileClock::now());
        m_sent.clear();
    }
    void Receive(const std::string& bytes) {
        m_session->Receive(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    FileServeOptions m_options;
    std::unique_ptr<FileSession> m_session;
    std::string m_sent, m_log;
};

TEST_F(FileSessionTest, OnlyRegularFilesAreServed) {
    const struct {
        const char* id;
        const char* reply;
    } rows[] = {{"dream-one", "44 100 0 4096\n"}, {".", "45 no such file\n"},
                {"folder", "45 no such file\n"},  {"fifo", "45 no such file\n"},
                {"../x", "45 no such file\n"},    {"missing", "45 no such file\n"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        SetUp();
        Receive(std::string("RC name pass ") + row.id + "\n");
        EXPECT_EQ(m_sent.substr(0, m_sent.find('\n') + 1), row.reply);
        EXPECT_EQ(m_session->Finished(), row.reply[1] == '5');
    }
}

TEST_F(FileSessionTest, AnOverLongLineDuringTheDownloadSpoilsItButIsNotKept) {
    Receive("RC name pass dream-one\n");
    Receive(std::string(8000, 'x') + "\nPKOK 0\nBYE\n");
    EXPECT_TRUE(m_session->Finished());
    EXPECT_FALSE(m_session->Complete());
    EXPECT_NE(m_log.find("a line longer than 4096 bytes"), std::string::npos) << m_log;
}

TEST(BoundedLogTest, StopsAtItsLimitWithOneLastLine) {
    const fs::path path = fs::absolute("bounded.txt");
    {
        BoundedLog log(path.string(), 25);
        for (const char* line : {"0123456789\n", "0123456789\n", "0123456789\n", "more\n"}) log.Write(line);
        EXPECT_TRUE(log.Stopped());
    }
    EXPECT_EQ(ReadTextFile(path),
              "0123456789\n0123456789\n"
              "logging stopped here: the log reached its limit of 25 bytes\n");
}

}  // namespace
