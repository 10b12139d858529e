// The game server's sessions: line framing with a bound, the greeting, the login and the fault modes.
#include "GameRoom.h"

#include <algorithm>

#include "data/AvatarCode.h"

namespace {

constexpr const char* kAcknowledgement = "&&&&&&&&&&&&&";  // thirteen ampersands: the login is accepted
constexpr const char* kRefusal = "Invalid Name or password.";
constexpr std::size_t kEndlessLineBytes = 2u << 20;
constexpr std::size_t kGarbageBytes = 64u << 10;
constexpr std::size_t kFaultChunk = 64u << 10;  // fault bytes per tick, so one client cannot stall the rest
constexpr std::size_t kNameLimit = 32;

std::string Printable(const std::string& text, std::size_t limit) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c <= 126 && out.size() < limit) out += static_cast<char>(c);
    }
    return out;
}

}  // namespace

std::string EncodePosition(std::int32_t x, std::int32_t y) {
    return encodeBase95(x, true) + encodeBase95(y, true);
}

std::string FrameCode(int facing) {
    return encodeBase95(StandingFrame(facing), true);
}

GameRoom::GameRoom(const GameWorld& world, RoomOptions options, SendFunction send, CloseFunction close)
    : m_world(world), m_options(std::move(options)), m_send(std::move(send)), m_close(std::move(close)) {}

void GameRoom::Send(int session, const std::string& line) {
    const auto found = m_sessions.find(session);
    if (found != m_sessions.end() && found->second.faultStarted && found->second.faultBytesLeft > 0) {
        found->second.held += line + "\n";
        return;
    }
    m_send(session, line + "\n");
}

void GameRoom::Open(int session, GameClock::time_point now) {
    if (!m_botsPlaced) PlaceBots(now);
    Session& state = m_sessions[session];
    state.opened = now;
    std::string greeting;
    for (const std::string& line : m_world.greeting) greeting += line + "\n";
    switch (m_options.fault) {
    case GameFault::kNoEnd: m_send(session, greeting); break;
    case GameFault::kSplitGreeting:
        // The first send ends inside the closing line; the rest follows a moment later.
        m_send(session, greeting + "EN");
        state.due = now + std::chrono::milliseconds(300);
        state.faultBytesLeft = 1;
        break;
    default: m_send(session, greeting + "END\n"); break;
    }
    state.stage = Stage::kLogin;
}

void GameRoom::Receive(int session, const std::uint8_t* bytes, std::size_t count, GameClock::time_point now) {
    auto found = m_sessions.find(session);
    if (found == m_sessions.end()) return;
    for (std::size_t i = 0; i < count; ++i) {
        Session& state = found->second;
        const char c = static_cast<char>(bytes[i]);
        if (c != '\n') {
            if (state.line.size() < kLineLimit) {
                state.line += c;
            } else {
                state.dropping = true;
            }
            continue;
        }
        const bool dropped = state.dropping;
        std::string line;
        line.swap(state.line);
        state.dropping = false;
        if (!dropped) HandleLine(session, state, line, now);
        // Handling a line may have ended the session.
        found = m_sessions.find(session);
        if (found == m_sessions.end()) return;
    }
}

void GameRoom::Gone(int session) {
    auto found = m_sessions.find(session);
    if (found == m_sessions.end()) return;
    const bool inWorld = found->second.stage == Stage::kInWorld;
    const Avatar avatar = found->second.avatar;
    m_sessions.erase(found);
    if (inWorld) {
        Broadcast(")" + EncodePosition(avatar.x, avatar.y));
        Broadcast("(" + avatar.name + " has left.");
    }
}

void GameRoom::Tick(GameClock::time_point now) {
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        const bool loggedIn = it->second.stage == Stage::kEntering || it->second.stage == Stage::kInWorld;
        if (!loggedIn && now - it->second.opened >= m_options.loginLimit) {
            // A silent or refused connection would otherwise hold its slot for ever.
            const int session = it->first;
            it = m_sessions.erase(it);
            m_close(session);
            continue;
        }
        if (it->second.faultBytesLeft > 0 && now >= it->second.due)
            SendFaultBytes(it->first, it->second, now);
        ++it;
    }
    MoveBots(now);
}

void GameRoom::SendFaultBytes(int session, Session& state, GameClock::time_point now) {
    if (m_options.fault == GameFault::kSplitGreeting) {
        m_send(session, "D\n");
        state.faultBytesLeft = 0;
        return;
    }
    const std::size_t count = std::min(state.faultBytesLeft, kFaultChunk);
    std::string bytes(count, 'x');
    if (m_options.fault == GameFault::kGarbage) {
        // Random bytes of every value, line feeds among them, the same on every run.
        std::mt19937 random(static_cast<std::uint32_t>(state.faultBytesLeft));
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    }
    state.faultBytesLeft -= count;
    m_send(session, bytes);
    if (state.faultBytesLeft == 0) {
        m_send(session, "\n(The server's fault bytes are over.\n" + state.held);
        state.held.clear();
    }
    state.due = now;
}

void GameRoom::HandleLine(int session, Session& state, const std::string& line, GameClock::time_point now) {
    switch (state.stage) {
    case Stage::kGreeting:
    case Stage::kRefused: return;
    case Stage::kLogin: HandleLogin(session, state, line); return;
    case Stage::kEntering:
    case Stage::kInWorld:
        HandleWorldLine(session, state, line);
        if (state.stage == Stage::kInWorld && !state.faultStarted &&
            (m_options.fault == GameFault::kEndlessLine || m_options.fault == GameFault::kGarbage)) {
            state.faultStarted = true;
            state.faultBytesLeft =
                m_options.fault == GameFault::kEndlessLine ? kEndlessLineBytes : kGarbageBytes;
            state.due = now;
        }
        return;
    }
}

void GameRoom::HandleLogin(int session, Session& state, const std::string& line) {
    if (line.rfind("connect ", 0) != 0) return;
    // "connect NAME PASSWORD": the name is one word, the password the rest of the line.
    const std::string rest = line.substr(8);
    const std::size_t blank = rest.find(' ');
    const std::string name = Printable(rest.substr(0, blank), kNameLimit);
    const std::string password = blank == std::string::npos ? "" : rest.substr(blank + 1);
    bool accepted = !name.empty() && m_options.fault != GameFault::kRefuseLogin;
    if (accepted && m_options.checkAccounts) {
        const auto account = m_options.accounts.find(name);
        accepted = account != m_options.accounts.end() && account->second == password;
    }
    if (!accepted) {
        Send(session, kRefusal);
        state.stage = Stage::kRefused;
        return;
    }
    state.avatar.name = name;
    Send(session, kAcknowledgement);
    state.stage = Stage::kEntering;
    if (m_options.fault == GameFault::kCloseAfterLogin) {
        m_sessions.erase(session);
        m_close(session);
    }
}
