// The client's side of the game server's line protocol: received bytes cut into lines, the greeting and
// the login handshake, the dispatch of logged-in lines, and the lines the client sends. One process-wide
// state behind free functions; the bytes can be fed without a socket (tests, the fuzzer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class NetClient;

// Cuts a byte stream into lines at line feeds (the line feed removed, a carriage return kept). A line
// longer than kMaxLineLength is dropped up to its line feed, with one message in _error.txt.
class ServerLineFramer {
public:
    static constexpr std::size_t kMaxLineLength = 1u << 20;

    // Adds the bytes and calls onLine(std::string_view) for each line they complete, in order. Bytes
    // after the last line feed wait for the next call.
    template <class OnLine>
    void Append(const std::uint8_t* bytes, std::size_t count, OnLine&& onLine);

    std::size_t Buffered() const { return m_buffer.size(); }

private:
    void ReportDropped();

    std::string m_buffer;     // the unfinished line
    bool m_dropping = false;  // the current line grew too long: skip to its line feed
};

// The game connection (registered by the main client scene, null when none).
void SetGameConnection(NetClient* connection);
NetClient* GameConnection();
// Whether the server acknowledged the login.
bool IsLoggedIn();

// Once per frame: takes every byte the game connection has received and handles them as one batch, also
// the bytes that arrived before the connection closed.
void PumpServerLines();
// A new connection of the same session (a reconnection): the framing, the greeting and the login start
// again, and the world lists are emptied when the new login is acknowledged.
void BeginReconnectedLogin();
// The server refused the login ("Nope." or "Invalid Name or password."): no reconnection is tried.
bool LoginRefused();
// One batch of received bytes: each completed line through HandleServerLine. The greeting ends with the
// batch in which a line containing "END" was handled.
void HandleServerBytes(const std::uint8_t* bytes, std::size_t count);
// One received line, without its line feed.
void HandleServerLine(std::string_view line);

// Sends the line and a line feed. False without a connected game connection or when the send failed.
bool SendLine(std::string_view line);
// 0 "m 9", 1 "m 7", 2 "m 1", 3 "m 3", 4 ">", 5 "<"; any other direction sends nothing (false).
bool SendMove(int direction);
// "l " and the cell's two-digit file coordinates. Nothing is sent (false) for a cell outside the map or
// whose file coordinates do not fit two digits.
bool LookAt(std::int32_t gx, std::int32_t gy);

// ---------------------------------------------------------------------------------------------------------

template <class OnLine>
void ServerLineFramer::Append(const std::uint8_t* bytes, std::size_t count, OnLine&& onLine) {
    const char* p = reinterpret_cast<const char*>(bytes);
    const char* end = p + count;
    while (p < end) {
        const char* feed = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (feed == nullptr) {
            if (!m_dropping) {
                m_buffer.append(p, end);
                if (m_buffer.size() > kMaxLineLength) {
                    ReportDropped();
                    m_buffer.clear();
                    m_dropping = true;
                }
            }
            return;
        }
        if (m_dropping) {
            m_dropping = false;
        } else if (m_buffer.size() + static_cast<std::size_t>(feed - p) > kMaxLineLength) {
            ReportDropped();
            m_buffer.clear();
        } else if (m_buffer.empty()) {
            onLine(std::string_view(p, static_cast<std::size_t>(feed - p)));
        } else {
            m_buffer.append(p, feed);
            const std::string line = std::move(m_buffer);
            m_buffer.clear();
            onLine(std::string_view(line));
        }
        p = feed + 1;
    }
}
