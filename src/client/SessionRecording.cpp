// The session recording format: encoding and the bounded reader.
#include "client/SessionRecording.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr std::string_view kHeaderStart = "VELMVIEW SESSION RECORDING ";
constexpr std::size_t kMaxEntryLine = 64;  // "received 4294967295 16777216" fits with room to spare

struct KindName {
    RecordedEntry::Kind kind;
    std::string_view name;
};
constexpr KindName kKindNames[] = {
    {RecordedEntry::Kind::Player, "player"},
    {RecordedEntry::Kind::Server, "server"},
    {RecordedEntry::Kind::Received, "received"},
    {RecordedEntry::Kind::Sent, "sent"},
};

// The decimal number at the start of text (at most maxDigits digits, no sign); false when there is none
// or it is longer or exceeds limit.
bool ReadNumber(std::string_view& text, std::size_t maxDigits, std::uint64_t limit, std::uint64_t& value) {
    std::size_t digits = 0;
    value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (++digits > maxDigits) return false;
        value = value * 10 + static_cast<std::uint64_t>(text[digits - 1] - '0');
    }
    text.remove_prefix(digits);
    return digits > 0 && value <= limit;
}

// "KIND MILLISECONDS LENGTH" with a lower-case kind word; false when the line has another shape.
bool ParseEntryLine(std::string_view line, std::string_view& kind, std::uint64_t& milliseconds,
                    std::uint64_t& length) {
    const std::size_t space = line.find(' ');
    if (space == 0 || space == std::string_view::npos || space > 16) return false;
    kind = line.substr(0, space);
    if (!std::all_of(kind.begin(), kind.end(), [](char c) { return c >= 'a' && c <= 'z'; })) return false;
    line.remove_prefix(space + 1);
    if (!ReadNumber(line, 10, 0xFFFFFFFFu, milliseconds) || line.empty() || line[0] != ' ') return false;
    line.remove_prefix(1);
    return ReadNumber(line, 8, kMaxRecordedBytes, length) && line.empty();
}

std::string EntriesKept(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

}  // namespace

std::string EncodeRecordedEntry(const RecordedEntry& entry) {
    std::string_view name;
    for (const KindName& known : kKindNames) {
        if (known.kind == entry.kind) name = known.name;
    }
    std::string out(name);
    out += ' ' + std::to_string(entry.milliseconds) + ' ' + std::to_string(entry.bytes.size()) + '\n';
    out += entry.bytes;
    out += '\n';
    return out;
}

bool ParseRecording(std::string_view bytes, Recording& out, std::string& message) {
    out.entries.clear();
    message.clear();
    if (bytes.substr(0, kRecordingHeader.size()) != kRecordingHeader) {
        const std::size_t end = bytes.find('\n');
        if (bytes.substr(0, kHeaderStart.size()) == kHeaderStart && end != std::string_view::npos &&
            end < kMaxEntryLine) {
            const std::string_view version = bytes.substr(kHeaderStart.size(), end - kHeaderStart.size());
            message = "it is a session recording of format \"";
            for (char c : version) message += (c >= 32 && c <= 126) ? c : '?';
            message += "\", and this VelmView reads format 1";
        } else {
            message = "it is not a VelmView session recording (its first line is not \"" +
                      std::string(kRecordingHeader.substr(0, kRecordingHeader.size() - 1)) + "\")";
        }
        return false;
    }
    std::size_t at = kRecordingHeader.size();
    std::uint32_t lastTime = 0;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        const std::size_t lineEnd = rest.substr(0, kMaxEntryLine).find('\n');
        std::string_view kind;
        std::uint64_t milliseconds = 0, length = 0;
        if (lineEnd == std::string_view::npos && rest.size() < kMaxEntryLine) {
            message = "it ends inside an entry (cut short at byte " + std::to_string(bytes.size()) + ")";
            break;
        }
        if (lineEnd == std::string_view::npos ||
            !ParseEntryLine(rest.substr(0, lineEnd), kind, milliseconds, length)) {
            message = "it is damaged at byte " + std::to_string(at);
            break;
        }
        const std::size_t payload = lineEnd + 1;
        if (rest.size() - payload < length + 1) {
            message = "it ends inside an entry (cut short at byte " + std::to_string(bytes.size()) + ")";
            break;
        }
        if (rest[payload + length] != '\n') {
            message = "it is damaged at byte " + std::to_string(at + payload + length);
            break;
        }
        for (const KindName& known : kKindNames) {
            if (known.name != kind) continue;
            // Times never go back: a later entry is never due before an earlier one.
            lastTime = std::max(lastTime, static_cast<std::uint32_t>(milliseconds));
            out.entries.push_back({known.kind, lastTime, std::string(rest.substr(payload, length))});
        }
        at += payload + length + 1;
    }
    if (!message.empty()) message += "; the " + EntriesKept(out.entries.size()) + " before it are replayed";
    return true;
}

bool LoadRecording(const std::string& path, Recording& out, std::string& message) {
    // Opening a pipe would wait for a writer: only a regular file can be a recording.
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        message = "it is not a regular file";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        message = "it cannot be opened";
        return false;
    }
    std::string bytes;
    char buffer[65536];
    bool tooLarge = false;
    while (std::size_t count = std::fread(buffer, 1, sizeof buffer, file)) {
        if (bytes.size() + count > kMaxRecordingSize) {
            tooLarge = true;
            break;
        }
        bytes.append(buffer, count);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (tooLarge || failed) {
        message = tooLarge ? "it is larger than " + std::to_string(kMaxRecordingSize >> 20) + " MiB"
                           : "it cannot be read";
        return false;
    }
    return ParseRecording(bytes, out, message);
}
