// The session recorder's process-wide state: the open file and the clock of the connection.
#include "client/SessionRecorder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "client/SessionRecording.h"
#include "data/PlayerProfile.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {

struct RecorderState {
    std::FILE* file = nullptr;
    std::string path;
    bool connected = false;  // the clock runs from the first connection
    std::chrono::steady_clock::time_point connectedAt;
};

RecorderState& State() {
    static RecorderState state;
    return state;
}

void Close() {
    RecorderState& state = State();
    if (state.file != nullptr) std::fclose(state.file);
    state = RecorderState{};
}

[[maybe_unused]] const bool kRegistered = RegisterProcessState("session recorder", Close);

std::uint32_t Milliseconds() {
    const auto elapsed = std::chrono::steady_clock::now() - State().connectedAt;
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

// Each entry reaches the disk at once, so that a crash loses at most the entry being written.
void Write(RecordedEntry::Kind kind, std::string bytes) {
    RecorderState& state = State();
    if (state.file == nullptr || !state.connected) return;
    const std::string encoded = EncodeRecordedEntry({kind, Milliseconds(), std::move(bytes)});
    if (std::fwrite(encoded.data(), 1, encoded.size(), state.file) != encoded.size() ||
        std::fflush(state.file) != 0) {
        errorLog.Write("Could not write the session recording \"" + state.path +
                       "\" (disk full?): recording stopped; what was written so far can be replayed.\n");
        Close();
    }
}

}  // namespace

bool StartRecording(const std::string& path, std::string& message) {
    Close();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        message = "it cannot be created";
        return false;
    }
    if (std::fwrite(kRecordingHeader.data(), 1, kRecordingHeader.size(), file) != kRecordingHeader.size() ||
        std::fflush(file) != 0) {
        std::fclose(file);
        message = "it cannot be written";
        return false;
    }
    State().file = file;
    State().path = path;
    return true;
}

bool IsRecording() {
    return State().file != nullptr;
}

void RecordConnectionMade(const std::string& host, int port) {
    RecorderState& state = State();
    if (state.file == nullptr) return;
    if (!state.connected) {
        state.connected = true;
        state.connectedAt = std::chrono::steady_clock::now();
        Write(RecordedEntry::Kind::Player, GetPlayerProfile().name);
    }
    Write(RecordedEntry::Kind::Server, host + " " + std::to_string(port));
}

void RecordReceived(const std::uint8_t* bytes, std::size_t count) {
    // A block beyond the entry bound (the receive buffer's own bound) goes as several entries.
    for (std::size_t at = 0; at < count; at += kMaxRecordedBytes) {
        const std::size_t piece = std::min(count - at, kMaxRecordedBytes);
        Write(RecordedEntry::Kind::Received, std::string(reinterpret_cast<const char*>(bytes + at), piece));
    }
}

void RecordSent(std::string_view line) {
    Write(RecordedEntry::Kind::Sent, MaskedSentLine(line));
}

void StopRecording() {
    Close();
}

std::string MaskedSentLine(std::string_view line) {
    if (line.substr(0, 8) == "connect ") return "connect (NAME/PASS REMOVED FOR SECURITY)\n";
    return std::string(line) + "\n";
}
