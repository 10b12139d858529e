// Transcript: the escaped, per-line record of a game session's bytes.
#include "Transcript.h"

void Transcript::Sent(int session, const std::string& bytes) {
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        m_log.Write(Line(session, '>', bytes.substr(start, end - start)));
        start = end;
    }
}

void Transcript::Received(int session, const std::uint8_t* bytes, std::size_t count) {
    std::string& pending = m_pending[session];
    for (std::size_t i = 0; i < count; ++i) {
        pending += static_cast<char>(bytes[i]);
        if (bytes[i] == '\n' || pending.size() >= kPiece) {
            m_log.Write(Line(session, '<', pending));
            pending.clear();
        }
    }
}

void Transcript::Closed(int session, const std::string& how) {
    const auto pending = m_pending.find(session);
    if (pending != m_pending.end()) {
        if (!pending->second.empty()) m_log.Write(Line(session, '<', pending->second));
        m_pending.erase(pending);
    }
    Note(std::to_string(session) + " closed " + how);
}

std::string Transcript::Line(int session, char direction, const std::string& bytes) {
    std::string line = std::to_string(session) + direction + " ";
    for (unsigned char c : bytes) {
        if (c >= 32 && c <= 126 && c != '\\') {
            line += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789abcdef";
            line += "\\x";
            line += kHex[c >> 4];
            line += kHex[c & 15];
        }
    }
    return line + "\n";
}
