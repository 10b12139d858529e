// The download exchange, one step at a time: each step takes one line or one block from the stream.
#include "net/FileGetterStream.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "net/VelmDataManager.h"
#include "runtime/LogFile.h"

namespace VELM {

namespace {
// Decimal text as the C library's conversion reads it (leading white space, a sign, digits up to the
// first other character), saturated to the int range instead of overflowing.
int DecimalValue(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min<long long>(value * 10 + (text[at] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Words separated by blanks and line feeds; empty words are skipped.
std::vector<std::string> WordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\n') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}
}  // namespace

FileGetterStream::FileGetterStream(std::string id, std::string name, std::string password, Sender send,
                                   std::FILE* output)
    : m_id(std::move(id)),
      m_name(std::move(name)),
      m_password(std::move(password)),
      m_send(std::move(send)),
      m_output(output) {}

void FileGetterStream::Append(const std::uint8_t* bytes, std::size_t count) {
    m_stream.insert(m_stream.end(), bytes, bytes + count);
}

bool FileGetterStream::Step() {
    if (m_finished) return false;
    switch (m_state.load()) {
    case kAwaitingWelcome: return StepWelcome();
    case kAwaitingReply: return StepReply();
    case kReceivingBlocks: return StepBlock();
    default: return false;
    }
}

// Takes the stream's first line, line feed included, once the line feed has arrived. A line that grows
// past kMaxLineLength without one is taken as it is, so that it is judged instead of waited for.
bool FileGetterStream::TakeLine(std::string& line) {
    const auto end = std::find(m_stream.begin(), m_stream.end(), static_cast<std::uint8_t>('\n'));
    std::size_t length;
    if (end != m_stream.end()) {
        length = static_cast<std::size_t>(end - m_stream.begin()) + 1;
    } else if (m_stream.size() > kMaxLineLength) {
        length = m_stream.size();
    } else {
        return false;
    }
    line.assign(m_stream.begin(), m_stream.begin() + static_cast<std::ptrdiff_t>(length));
    m_stream.erase(m_stream.begin(), m_stream.begin() + static_cast<std::ptrdiff_t>(length));
    return true;
}

void FileGetterStream::FailWith(const char* message) {
    errorLog.Write(message);
    PostTransferMessage("> FAILED");
    m_state = kFailed;
    m_finished = true;
}

bool FileGetterStream::StepWelcome() {
    std::string line;
    if (!TakeLine(line)) return false;
    if (line.compare(0, 3, "10 ") != 0 || line.size() < 3) {
        FailWith("Anomolous message recieved in response to file server connect.\n");
        return true;
    }
    PostTransferMessage("> File Server welcome received.  Requesting transfer...");
    m_send("RC " + m_name + " " + m_password + " " + m_id + " 0 2 4096\n");
    m_state = kAwaitingReply;
    return true;
}

bool FileGetterStream::StepReply() {
    std::string line;
    if (!TakeLine(line)) return false;
    const std::vector<std::string> words = WordsOf(line);
    const int fileSize = words.size() >= 4 ? DecimalValue(words[1]) : -1;
    const int blockSize = words.size() >= 4 ? DecimalValue(words[3]) : 0;
    // Without four words, a positive payload per block and a size that is not negative, no block count
    // can be formed; such a reply is as unexpected as one that is not "44".
    if (words.size() < 4 || words[0] != "44" || fileSize < 0 || blockSize <= 10 ||
        blockSize > kMaxBlockSize) {
        FailWith("Anomolous response recieved to RC request.\n");
        return true;
    }
    m_bytesWritten = 0;
    m_fileSize = fileSize;
    m_blockSize = blockSize;
    const int payload = blockSize - 10;
    m_blockCount = static_cast<int>((static_cast<long long>(fileSize) + payload - 1) / payload);
    PostTransferMessage("> Transfer request accepted.  Download beginning.");
    m_state = kReceivingBlocks;
    if (m_blockCount == 0) {
        // An empty file has no blocks: it is complete as soon as it is announced.
        m_send("BYE\n");
        PostTransferMessage("> Download Complete.");
        m_state = kComplete;
        m_finished = true;
    }
    return true;
}

bool FileGetterStream::StepBlock() {
    const auto blockSize = static_cast<std::size_t>(m_blockSize);
    if (m_stream.size() < blockSize) return false;
    std::vector<std::uint8_t> block(m_stream.begin(),
                                    m_stream.begin() + static_cast<std::ptrdiff_t>(blockSize));
    m_stream.erase(m_stream.begin(), m_stream.begin() + static_cast<std::ptrdiff_t>(blockSize));
    if (block[0] != 'S' || block[1] != 'C') {
        FailWith("Non-data block recieved while downloading file... aborting.\n");
        return true;
    }
    const std::uint32_t number =
        static_cast<std::uint32_t>(block[2]) | static_cast<std::uint32_t>(block[3]) << 8 |
        static_cast<std::uint32_t>(block[4]) << 16 | static_cast<std::uint32_t>(block[5]) << 24;
    if (number != m_nextBlock) {
        FailWith(
            "Out of order data block received from file server... aborting. (I know, I should handle this "
            "better.... later!)\n");
        return true;
    }
    const int written = m_bytesWritten.load();
    const int payload = std::min(m_blockSize - 10, m_fileSize.load() - written);
    if (m_output == nullptr || std::fwrite(block.data() + 10, 1, static_cast<std::size_t>(payload),
                                           m_output) != static_cast<std::size_t>(payload)) {
        FailWith("Failed to write the downloaded dream into its file... aborting.\n");
        return true;
    }
    m_bytesWritten = written + payload;
    m_send("PKOK " + std::to_string(number) + "\n");
    ++m_nextBlock;
    if (m_nextBlock == static_cast<std::uint32_t>(m_blockCount)) {
        // The file stays open until the getter goes, but its whole content is on disk from here on.
        std::fflush(m_output);
        m_send("BYE\n");
        PostTransferMessage("> Download Complete.");
        m_state = kComplete;
        m_finished = true;
    }
    return true;
}

}  // namespace VELM
