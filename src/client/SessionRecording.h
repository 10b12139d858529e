// The session recording file: a versioned first line, then length-prefixed entries (the player's name, the
// server connected to, every block received and every line sent, each with its time). Encoding and a
// bounded reader over the file's bytes; the recorder and the replay build on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RecordedEntry {
    enum class Kind { Player, Server, Received, Sent };
    Kind kind = Kind::Received;
    std::uint32_t milliseconds = 0;  // since the connection was made
    std::string bytes;               // any bytes: the name, "HOST PORT", a received block, a sent line
};

struct Recording {
    std::vector<RecordedEntry> entries;  // in file order; times never decrease
};

// The first line of every recording of this version.
constexpr std::string_view kRecordingHeader = "VELMVIEW SESSION RECORDING 1\n";
// One entry's bytes at most: the game connection's receive buffer bound.
constexpr std::size_t kMaxRecordedBytes = 16u << 20;
// The whole file at most.
constexpr std::size_t kMaxRecordingSize = 256u << 20;

// "KIND MILLISECONDS LENGTH\n", the bytes, "\n".
std::string EncodeRecordedEntry(const RecordedEntry& entry);

// Reads the bytes of a recording. False when they are not a recording of this version (message says
// why). True otherwise; when the file ends inside an entry (cut short) or an entry is damaged, the entries
// before it are kept and message says what was left out. Entries of kinds this version does not know are
// skipped.
bool ParseRecording(std::string_view bytes, Recording& out, std::string& message);

// Reads the file at path (as given, not a game path) with ParseRecording; a file that cannot be opened or
// is larger than kMaxRecordingSize is refused with a message.
bool LoadRecording(const std::string& path, Recording& out, std::string& message);
