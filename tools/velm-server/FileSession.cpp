// FileSession: the file server's side of one download, from the welcome to "BYE".
#include "FileSession.h"

#include <algorithm>
#include <cstdlib>

#include "data/ByteReader.h"
#include "runtime/Utilities.h"

namespace {
// An id names a file directly inside the root: no folders, no way up, nothing unprintable.
bool SafeId(const std::string& id) {
    if (id.empty() || id.find("..") != std::string::npos) return false;
    for (unsigned char c : id) {
        if (c < 32 || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}
}  // namespace

FileSession::FileSession(int number, const FileServeOptions& options, Sender send, Logger log)
    : m_number(number), m_options(options), m_send(std::move(send)), m_log(std::move(log)) {}

void FileSession::Send(const std::string& text) {
    if (m_state != kFinished) m_send(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void FileSession::Start(FileClock::time_point now) {
    m_log("session " + std::to_string(m_number) + " accepted");
    switch (m_options.fault) {
    case FileFault::kSilent: break;
    case FileFault::kGarbageWelcome: Send("HELLO THERE\n"); break;
    case FileFault::kSplitWelcome:
        Send("10 welc");
        m_splitPending = true;
        m_splitDue = now + std::chrono::milliseconds(150);
        break;
    default: Send("10 welcome to the dream file server\n"); break;
    }
}

void FileSession::Receive(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count && m_state != kFinished; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c != '\n') {
            if (m_line.size() < kLineLimit) {
                m_line += c;
            } else if (m_state == kAwaitingRequest) {
                // No request is this long: answered at once rather than read to its end.
                HandleLine(std::string(), true);
            } else {
                m_dropping = true;
            }
            continue;
        }
        std::string line;
        line.swap(m_line);
        const bool overLong = m_dropping;
        m_dropping = false;
        HandleLine(line + "\n", overLong);
    }
}

void FileSession::Advance(FileClock::time_point now) {
    if (m_splitPending && now >= m_splitDue) {
        m_splitPending = false;
        Send("ome to the dream file server\n");
    }
    SendBlocks();
}

void FileSession::ClientClosed() {
    Close("the client closed");
}

void FileSession::Close(const char* why) {
    if (m_state == kFinished) return;
    m_state = kFinished;
    m_complete = m_byeReceived && m_acknowledgementsGood && m_blockCount == m_acknowledged;
    m_log("session " + std::to_string(m_number) + " closed: " + why +
          (m_complete ? " (complete)" : " (incomplete)"));
}

void FileSession::HandleLine(const std::string& line, bool overLong) {
    if (overLong) {
        m_log("error: a line longer than " + std::to_string(kLineLimit) + " bytes, dropped");
        if (m_state == kAwaitingRequest) {
            Send("45 bad request\n");
            Close("bad request");
        } else {
            m_acknowledgementsGood = false;
        }
        return;
    }
    std::vector<std::string> words;
    SplitWords(line, " \r\n", words);
    m_log("received: " + line.substr(0, line.size() - 1));
    if (m_state == kAwaitingRequest) {
        HandleRequest(words);
        return;
    }
    if (!words.empty() && words[0] == "PKOK") {
        const long number = words.size() > 1 ? std::strtol(words[1].c_str(), nullptr, 10) : -1;
        if (number != static_cast<long>(m_acknowledged) || m_acknowledged >= m_nextToSend) {
            m_log("error: PKOK " + (words.size() > 1 ? words[1] : std::string("without number")) +
                  ", expected " + std::to_string(m_acknowledged));
            m_acknowledgementsGood = false;
        }
        ++m_acknowledged;
    } else if (!words.empty() && words[0] == "BYE") {
        m_byeReceived = true;
        Close("bye");
    } else {
        m_log("error: unexpected line");
        m_acknowledgementsGood = false;
    }
}

void FileSession::HandleRequest(const std::vector<std::string>& words) {
    if (words.size() < 4 || words[0] != "RC") {
        m_log("error: expected a request, got " + (words.empty() ? std::string("an empty line") : words[0]));
        Send("45 bad request\n");
        Close("bad request");
        return;
    }
    const std::string& id = words[3];
    std::vector<std::uint8_t> bytes;
    // Only regular files are served: the root itself, folders and devices answer like a missing file.
    if (!SafeId(id) || !(ReadFileBytes(m_options.root + "/" + id, bytes) ||
                         ReadFileBytes(m_options.root + "/" + id + ".dream", bytes))) {
        m_log("error: no such file " + id);
        Send("45 no such file\n");
        Close("no such file");
        return;
    }
    m_log("request " + id + " by " + words[1]);
    m_file = std::move(bytes);
    const std::size_t payload = static_cast<std::size_t>(m_options.blockSize - 10);
    m_blockCount = static_cast<std::uint32_t>((m_file.size() + payload - 1) / payload);
    Send("44 " + std::to_string(m_file.size()) + " 0 " + std::to_string(m_options.blockSize) + "\n");
    m_state = kSending;
    if (m_blockCount == 0) m_log("empty file: no blocks");
}

void FileSession::SendBlock(std::uint32_t index) {
    const std::size_t size = static_cast<std::size_t>(m_options.blockSize);
    std::vector<std::uint8_t> block(size, 0);
    block[0] = 'S';
    block[1] = 'C';
    if (m_options.fault == FileFault::kWrongMarker && index == std::min<std::uint32_t>(1, m_blockCount - 1)) {
        block[0] = 'X';
        block[1] = 'X';
    }
    std::uint32_t number = index;
    if (m_options.fault == FileFault::kRepeatBlock && index == m_blockCount - 1) {
        number = index > 0 ? index - 1 : 0;  // the last block's place holds an earlier block again
    }
    for (int i = 0; i < 4; ++i) {
        block[2 + i] = static_cast<std::uint8_t>(number >> (8 * i));
        block[6 + i] = static_cast<std::uint8_t>(m_blockCount >> (8 * i));
    }
    const std::size_t payload = size - 10;
    const std::size_t start = static_cast<std::size_t>(number) * payload;
    const std::size_t length = std::min(payload, m_file.size() - std::min(start, m_file.size()));
    std::copy_n(m_file.begin() + static_cast<std::ptrdiff_t>(start), length, block.begin() + 10);
    m_send(block.data(), block.size());
}

void FileSession::SendBlocks() {
    while (m_state == kSending && m_nextToSend < m_blockCount &&
           m_nextToSend - m_acknowledged < static_cast<std::uint32_t>(m_options.window)) {
        SendBlock(m_nextToSend);
        ++m_nextToSend;
        const bool half = m_nextToSend == std::max<std::uint32_t>(1, m_blockCount / 2);
        if (m_options.fault == FileFault::kCloseMid && half) Close("closed in the middle");
        if (m_options.fault == FileFault::kCloseAfterLast && m_nextToSend == m_blockCount) {
            Close("closed after the last block");
        }
    }
}
