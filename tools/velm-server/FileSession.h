// One download exchange of the stand-in file server as a state machine over received bytes, with no
// socket of its own: welcome, request, reply, numbered blocks sent ahead up to a window, acknowledgements
// checked, "BYE". The server loop (FileServer.cpp) and the tests drive it alike.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using FileClock = std::chrono::steady_clock;

// Misbehaviours for tests of the client.
enum class FileFault {
    kNone,
    kCloseMid,        // closed when half of the blocks have gone
    kCloseAfterLast,  // closed right after the last block, before the acknowledgements
    kRepeatBlock,     // the last block's place holds the block before it again
    kWrongMarker,     // the second block starts with "XX" instead of "SC"
    kDrip,            // every byte in a send of its own (the server loop does the dripping)
    kGarbageWelcome,  // a welcome line that is not one
    kSplitWelcome,    // the welcome in two sends, a moment apart
    kSilent           // no welcome at all
};

struct FileServeOptions {
    std::string root = "dreams";  // the folder whose regular files are served by id
    int blockSize = 4096;         // bytes per block on the wire, the 10-byte header included
    int window = 8;               // blocks sent ahead of the acknowledgements
    FileFault fault = FileFault::kNone;
};

class FileSession {
public:
    using Sender = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
    using Logger = std::function<void(const std::string& line)>;

    // A longer request is refused at once; a longer line later is dropped up to its line feed.
    static constexpr std::size_t kLineLimit = 4096;

    FileSession(int number, const FileServeOptions& options, Sender send, Logger log);

    void Start(FileClock::time_point now);  // the welcome
    void Receive(const std::uint8_t* bytes, std::size_t count);
    void Advance(FileClock::time_point now);  // the rest of a split welcome, blocks the window allows
    void ClientClosed();                      // the connection ended from the client's side

    bool Finished() const { return m_state == kFinished; }
    // The exchange ended with "BYE" after every block was acknowledged in order.
    bool Complete() const { return m_complete; }

private:
    enum State { kAwaitingRequest, kSending, kFinished };

    void Send(const std::string& text);
    void HandleLine(const std::string& line, bool overLong);
    void HandleRequest(const std::vector<std::string>& words);
    void SendBlock(std::uint32_t index);
    void SendBlocks();
    void Close(const char* why);

    int m_number;
    const FileServeOptions& m_options;
    Sender m_send;
    Logger m_log;
    State m_state = kAwaitingRequest;
    std::string m_line;       // bytes of the line being received
    bool m_dropping = false;  // the line being received is over the limit and is dropped
    std::vector<std::uint8_t> m_file;
    std::uint32_t m_blockCount = 0;
    std::uint32_t m_nextToSend = 0;
    std::uint32_t m_acknowledged = 0;
    bool m_acknowledgementsGood = true;
    bool m_byeReceived = false;
    bool m_complete = false;
    bool m_splitPending = false;
    FileClock::time_point m_splitDue{};  // when the second half of a split welcome goes
};
