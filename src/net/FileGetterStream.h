// The file server's download exchange as a state machine over the received bytes: welcome, request,
// reply, numbered blocks with their acknowledgements. The getter feeds it from its connection; it has no
// socket of its own, so it can be driven directly by tests and the fuzzer.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>

namespace VELM {

class FileGetterStream {
public:
    enum State { kAwaitingWelcome = 0, kAwaitingReply = 1, kReceivingBlocks = 2, kComplete = 3, kFailed = 4 };

    // Sends one message (line feed included) to the file server.
    using Sender = std::function<void(const std::string& message)>;

    // A line without a line feed longer than this is not waited for any longer: it is an unexpected line.
    static constexpr std::size_t kMaxLineLength = 4096;
    // The largest block size a reply may name; each block is copied out whole.
    static constexpr int kMaxBlockSize = 1 << 20;

    // name and password go into the request line; output receives the payload (may be null when the
    // caller has already failed).
    FileGetterStream(std::string id, std::string name, std::string password, Sender send, std::FILE* output);

    void Append(const std::uint8_t* bytes, std::size_t count);
    std::size_t Buffered() const { return m_stream.size(); }

    // One step of the exchange: consumes at most one line or one block. True when it consumed something.
    bool Step();

    // Ends the exchange as failed (the connection was lost, or the getter could not start).
    void Fail() {
        m_state = kFailed;
        m_finished = true;
    }
    void MarkFinished() { m_finished = true; }
    void SetOutput(std::FILE* output) { m_output = output; }

    const std::string& Id() const { return m_id; }
    int State() const { return m_state.load(); }
    bool Finished() const { return m_finished.load(); }
    int BytesWritten() const { return m_bytesWritten.load(); }
    int FileSize() const { return m_fileSize.load(); }

private:
    bool TakeLine(std::string& line);
    bool StepWelcome();
    bool StepReply();
    bool StepBlock();
    void FailWith(const char* message);

    std::string m_id;
    std::string m_name;
    std::string m_password;
    Sender m_send;
    std::FILE* m_output;
    std::deque<std::uint8_t> m_stream;  // received and not yet consumed; the getter's thread only
    std::atomic<bool> m_finished{false};
    std::atomic<int> m_state{kAwaitingWelcome};
    std::uint32_t m_nextBlock = 0;
    int m_blockSize = 0;  // bytes per block on the wire, header included
    int m_blockCount = 0;
    std::atomic<int> m_bytesWritten{0};  // payload bytes written so far
    std::atomic<int> m_fileSize{1};      // bytes; starts at 1 so written/total is defined before the reply
};

}  // namespace VELM
