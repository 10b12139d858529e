// The game protocol's process-wide state: framing of the received bytes, the greeting, the login
// handshake, the dispatch of logged-in lines to the world handlers, and the lines the client sends.
#include "client/ServerLines.h"

#include <vector>

#include "client/SessionRecorder.h"
#include "client/WorldMessages.h"
#include "data/AvatarCode.h"
#include "data/PlayerProfile.h"
#include "data/WorldMap.h"
#include "net/NetClient.h"
#include "net/VelmDataManager.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {

struct ProtocolState {
    NetClient* connection = nullptr;  // the game connection; not owned
    ServerLineFramer framer;
    bool awaitingGreeting = true;        // greeting lines are posted until the batch that ended the greeting
    bool greetingEnded = false;          // a greeting line containing "END" was handled and the login sent
    bool loggedIn = false;               // the acknowledgement arrived; cleared only for a reconnection
    bool loginRefused = false;           // a refusal came before the acknowledgement
    bool reconnected = false;            // this login follows a lost connection: the world is sent again
    std::vector<std::uint8_t> received;  // reused for each batch
};

ProtocolState& State() {
    static ProtocolState state;
    return state;
}

[[maybe_unused]] const bool kRegistered = RegisterProcessState("protocol", [] { State() = ProtocolState{}; });

constexpr std::string_view kAcknowledgement = "&&&&&&&&&&&&&";
constexpr std::int32_t kLargestTwoDigitValue = 95 * 95 - 1;

void Post(const std::string& text) {
    PostTransferMessage(text);
}

// The login handshake's acknowledgement: the description and the colours follow.
void SendDescription() {
    const PlayerProfile& profile = GetPlayerProfile();
    SendLine("desc " + profile.desc);
    SendLine("color " + profile.colors + encodeBase95(profile.spec1, false) +
             encodeBase95(profile.spec2, false) + " ");
}

// Only the bytes from 32 to 126: the lower codes are the text's inline colour, size and background codes,
// which a server must not be able to send into the chat.
std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c >= 32 && c <= 126) out += c;
    }
    return out;
}

bool IsRefusal(std::string_view line) {
    return line == "Nope." || line == "Invalid Name or password.";
}

constexpr const char* kRefusalText = "Server reported error while trying to log in.";

// Dispatch of a logged-in line by its first character; a line shorter than its kind's minimum matches no
// kind and is ignored.
void DispatchWorldLine(std::string_view line) {
    const std::size_t length = line.size();
    switch (line[0]) {
    case ')':
        if (length >= 5) HandleAvatarLeaves(line);
        return;
    case '/':
        if (length >= 21) HandleAvatarMoves(line);
        return;
    case '1':
        if (length >= 7) HandleFloorChange(line);
        return;
    case '<':
        if (length >= 17) HandleAvatarAppears(line);
        return;
    case ';':
        if (length >= 6) HandleMapLoad(line);
        return;
    case '>':
        if (length >= 7) HandleObjectChange(line);
        return;
    case '@':
        if (length >= 5) HandlePlayerPosition(line);
        return;
    case ']':
        if (length >= 4 && line[1] == 'c' && line[2] == 'c') {
            HandleFloorPalette(line);
        } else if (length >= 8 && line[1] == 's') {
            HandleDreamMarker(line);
        } else if (length >= 6 && line[1] == 't') {
            HandleDreamMarkerRemoved(line);
        } else if (length >= 6 && line[1] == 'q') {
            HandleDreamDownload(line);
        }
        return;
    default: return;
    }
}

}  // namespace

void ServerLineFramer::ReportDropped() {
    errorLog.Write(
        "Server line longer than 1048576 bytes without a line feed: dropped up to its line feed.\n");
}

void SetGameConnection(NetClient* connection) {
    State().connection = connection;
}

NetClient* GameConnection() {
    return State().connection;
}

bool IsLoggedIn() {
    return State().loggedIn;
}

void PumpServerLines() {
    ProtocolState& state = State();
    // BufferedBytes, not PendingBytes: a server's last lines before it closes are handled too.
    if (state.connection == nullptr || state.connection->BufferedBytes() == 0) return;
    if (state.connection->ReceiveData(state.received)) {
        RecordReceived(state.received.data(), state.received.size());
        HandleServerBytes(state.received.data(), state.received.size());
    }
}

void HandleServerBytes(const std::uint8_t* bytes, std::size_t count) {
    ProtocolState& state = State();
    state.framer.Append(bytes, count, [](std::string_view line) { HandleServerLine(line); });
    if (state.greetingEnded) state.awaitingGreeting = false;
}

void HandleServerLine(std::string_view line) {
    ProtocolState& state = State();
    if (state.awaitingGreeting) {
        Post(Printable(line));
        if (!state.greetingEnded && line.find("END") != std::string_view::npos) {
            state.greetingEnded = true;
            const PlayerProfile& profile = GetPlayerProfile();
            SendLine("connect " + profile.name + " " + profile.password);
        }
        return;
    }
    if (!state.loggedIn) {
        if (line.find(kAcknowledgement) != std::string_view::npos) {
            if (state.reconnected) {
                RemoveAllCharacters();
                RemoveAllDreamMarkers();
            }
            SendDescription();
            state.loggedIn = true;
        } else if (IsRefusal(line)) {
            // The answer to the login line: the player must see it.
            state.loginRefused = true;
            Post(kRefusalText);
        }
        return;
    }
    if (IsRefusal(line)) {
        Post(kRefusalText);
        return;
    }
    if (line.size() >= 2 && (line[0] == '(' || line[0] == '[')) {
        Post(Printable(line.substr(1)));
        return;
    }
    if (!line.empty()) DispatchWorldLine(line);
}

void BeginReconnectedLogin() {
    ProtocolState& state = State();
    state.framer = ServerLineFramer{};
    state.awaitingGreeting = true;
    state.greetingEnded = false;
    state.loggedIn = false;
    state.reconnected = true;
}

bool LoginRefused() {
    return State().loginRefused;
}

bool SendLine(std::string_view line) {
    NetClient* connection = State().connection;
    if (connection == nullptr || !connection->IsConnected()) return false;
    std::string block;
    block.reserve(line.size() + 1);
    block.append(line);
    block += '\n';
    const bool sent = connection->SendData(block.data(), static_cast<int>(block.size()));
    if (sent) RecordSent(line);
    return sent;
}

bool SendMove(int direction) {
    static constexpr const char* kMoves[] = {"m 9", "m 7", "m 1", "m 3", ">", "<"};
    if (direction < 0 || direction > 5) return false;
    return SendLine(kMoves[direction]);
}

bool LookAt(std::int32_t gx, std::int32_t gy) {
    std::int32_t width = 0, height = 0;
    mapSize(width, height);
    if (gx < 0 || gy < 0 || gx >= width || gy >= height) return false;
    std::int32_t fx = 0, fy = 0;
    gridToFile(gx, gy, fx, fy);
    if (fx < 0 || fy < 0 || fx > kLargestTwoDigitValue || fy > kLargestTwoDigitValue) return false;
    return SendLine("l " + encodeBase95(fx, true) + encodeBase95(fy, true));
}
