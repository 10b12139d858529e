// The replay's process-wide state: the recording, the next entry and the replay clock.
#include "client/SessionReplay.h"

#include <cstdio>
#include <cstring>

#include "client/ServerLines.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {

struct ReplayState {
    bool active = false;
    Recording recording;
    std::size_t next = 0;  // the first entry not yet played
    double speed = 1.0;    // recorded milliseconds per replayed millisecond
    double clock = 0.0;    // recorded milliseconds played so far
    std::string player;    // the recorded profile name
    std::string server;    // "HOST PORT" of the first connection
    int connections = 0;   // server entries played so far
};

ReplayState& State() {
    static ReplayState state;
    return state;
}

[[maybe_unused]] const bool kRegistered =
    RegisterProcessState("session replay", [] { State() = ReplayState{}; });

// Recorded names reach the chat and the input line: only the bytes 32 to 126, at most 64 of them, so a
// recording cannot carry the text's colour and size codes.
std::string Printable(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        if (c >= 32 && c <= 126 && text.size() < 64) text += c;
    }
    return text;
}

std::string SpeedText(double speed) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", speed);
    return text;
}

}  // namespace

void StartReplay(Recording recording, double speed) {
    ReplayState& state = State();
    state = ReplayState{};
    state.active = true;
    state.recording = std::move(recording);
    state.speed = speed;
    for (const RecordedEntry& entry : state.recording.entries) {
        if (entry.kind == RecordedEntry::Kind::Player && state.player.empty())
            state.player = Printable(entry.bytes);
        if (entry.kind == RecordedEntry::Kind::Server && state.server.empty())
            state.server = Printable(entry.bytes);
    }
}

bool IsReplaying() {
    return State().active;
}

void AdvanceReplay(float seconds) {
    ReplayState& state = State();
    if (!state.active) return;
    state.clock += static_cast<double>(seconds) * 1000.0 * state.speed;
    const std::vector<RecordedEntry>& entries = state.recording.entries;
    while (state.next < entries.size() && entries[state.next].milliseconds <= state.clock) {
        const RecordedEntry& entry = entries[state.next++];
        // Every connection after the first was a reconnection: the protocol starts again from the greeting.
        if (entry.kind == RecordedEntry::Kind::Server && state.connections++ > 0) BeginReconnectedLogin();
        if (entry.kind != RecordedEntry::Kind::Received) continue;
        // _netlog.txt holds a received block's text up to its first NUL, as for a live connection.
        netLog.Write(std::string(entry.bytes.data(), strnlen(entry.bytes.data(), entry.bytes.size())));
        HandleServerBytes(reinterpret_cast<const std::uint8_t*>(entry.bytes.data()), entry.bytes.size());
    }
}

bool ReplayFinished() {
    const ReplayState& state = State();
    return state.active && state.next >= state.recording.entries.size();
}

std::vector<std::string> ReplayConnectionTexts() {
    const std::string& server = State().server;
    const std::size_t space = server.rfind(' ');
    if (space == std::string::npos) return {};
    return {"Connecting to velmoria server at ",
            server.substr(0, space),
            " on port ",
            server.substr(space + 1),
            " ...\n",
            "Connected to server.\n"};
}

std::string ReplayStatusText() {
    const ReplayState& state = State();
    if (ReplayFinished()) return "REPLAY ended. Close the window to quit.";
    std::string text = "REPLAY";
    if (!state.player.empty()) text += " of " + state.player + "'s session";
    return text + " at " + SpeedText(state.speed) + "x: typed lines, moves and clicks send nothing.";
}
