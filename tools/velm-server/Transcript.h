// The game server's transcript: one line per protocol line, "N> " for bytes sent to session N and "N< "
// for bytes received from it; bytes outside 32..126 and the backslash are written as \xHH (a line feed as
// \x0a), so the bytes on the wire can be read back exactly. Bounded like every log of ours.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "BoundedLog.h"

class Transcript {
public:
    explicit Transcript(const std::string& path) : m_log(path) {}

    void Note(const std::string& text) { m_log.Write(text + "\n"); }
    void Sent(int session, const std::string& bytes);
    void Received(int session, const std::uint8_t* bytes, std::size_t count);
    void Closed(int session, const std::string& how);

private:
    static constexpr std::size_t kPiece = 4096;  // a received line longer than this is logged in pieces

    static std::string Line(int session, char direction, const std::string& bytes);

    BoundedLog m_log;
    std::map<int, std::string> m_pending;  // each session's received bytes since its last line feed
};
