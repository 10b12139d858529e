// The game server's world lines: entering the world after "desc" and "color", talking, walking and
// turning, looking at a cell, and dreams offered on their markers.
#include <deque>
#include <set>

#include "GameRoom.h"
#include "data/AvatarCode.h"

namespace {

constexpr std::size_t kTextLimit = 400;  // relayed texts and descriptions are cut to this
constexpr std::size_t kSearchLimit = 4096;

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c <= 126 && out.size() < kTextLimit) out += static_cast<char>(c);
    }
    return out;
}

bool StartsWith(const std::string& line, const char* prefix) {
    return line.rfind(prefix, 0) == 0;
}

}  // namespace

void GameRoom::Broadcast(const std::string& line, int except) {
    for (const auto& [session, state] : m_sessions) {
        if (session != except && state.stage == Stage::kInWorld) Send(session, line);
    }
}

const GameRoom::Avatar* GameRoom::AvatarAt(std::int32_t x, std::int32_t y) const {
    for (const auto& [session, state] : m_sessions) {
        if (state.stage == Stage::kInWorld && state.avatar.x == x && state.avatar.y == y)
            return &state.avatar;
    }
    for (const Bot& bot : m_bots) {
        if (bot.avatar.x == x && bot.avatar.y == y) return &bot.avatar;
    }
    return nullptr;
}

bool GameRoom::Occupied(std::int32_t x, std::int32_t y) const {
    return AvatarAt(x, y) != nullptr;
}

// The nearest free cell that can be walked to from (x, y), searched breadth first.
bool GameRoom::FreeCellNear(std::int32_t x, std::int32_t y, std::int32_t& freeX, std::int32_t& freeY) const {
    std::deque<std::pair<std::int32_t, std::int32_t>> queue{{x, y}};
    std::set<std::pair<std::int32_t, std::int32_t>> seen{{x, y}};
    while (!queue.empty() && seen.size() < kSearchLimit) {
        const auto [cx, cy] = queue.front();
        queue.pop_front();
        if (!Occupied(cx, cy) && DreamAt(m_world, cx, cy) == nullptr) {
            freeX = cx;
            freeY = cy;
            return true;
        }
        for (char key : {'9', '3', '1', '7'}) {
            std::int32_t nx = 0, ny = 0;
            int facing = 0;
            StepTarget(m_world, cx, cy, key, nx, ny, facing);
            if (CanEnter(m_world, cx, cy, nx, ny) && seen.insert({nx, ny}).second) queue.push_back({nx, ny});
        }
    }
    return false;
}

void GameRoom::HandleWorldLine(int session, Session& state, const std::string& line) {
    if (StartsWith(line, "desc ")) {
        state.avatar.desc = Printable(line.substr(5));
        return;
    }
    if (StartsWith(line, "color ")) {
        // "color " + ten colour characters + two special digits + " ": the first ten are the colour code.
        std::string colors = line.substr(6, 10);
        colors.resize(10, ' ');
        for (char& c : colors) c = (c >= 32 && c <= 126) ? c : ' ';
        state.avatar.colors = colors;
        if (state.stage == Stage::kEntering) {
            Enter(session, state);
        } else {
            const Avatar& a = state.avatar;
            Broadcast("/" + a.colors + EncodePosition(a.x, a.y) + FrameCode(a.facing) +
                      EncodePosition(a.x, a.y));
        }
        return;
    }
    if (state.stage != Stage::kInWorld || line.empty()) return;
    if (line.size() >= 3 && StartsWith(line, "m ")) {
        Walk(session, state, line[2]);
    } else if (line == ">" || line == "<") {
        const Avatar& a = state.avatar;
        Turn(state.avatar, line == ">");
        Send(session, "@" + EncodePosition(a.x, a.y));
    } else if (StartsWith(line, "l ")) {
        Look(session, line);
    } else if (line == "meadowcross") {
        Send(session, "(You wake up in Meadowcross.");
    } else if (line == "goback") {
        SendWorld(session, state);
    } else {
        Talk(session, state, line);
    }
}

// The world as a newcomer receives it: palette, map, position, every avatar, the dream markers.
void GameRoom::SendWorld(int session, const Session& state) {
    Send(session, "]cc" + m_world.palette);
    Send(session, ";" + m_world.mapPath);
    Send(session, "@" + EncodePosition(state.avatar.x, state.avatar.y));
    const auto appear = [](const Avatar& a) {
        return "<" + a.colors + EncodePosition(a.x, a.y) + FrameCode(a.facing);
    };
    for (const auto& [other, otherState] : m_sessions) {
        if (otherState.stage == Stage::kInWorld) Send(session, appear(otherState.avatar));
    }
    for (const Bot& bot : m_bots) Send(session, appear(bot.avatar));
    for (const DreamSpot& spot : m_world.dreams)
        Send(session, "]s" + EncodePosition(spot.x, spot.y) + "  " + spot.label);
}

void GameRoom::Enter(int session, Session& state) {
    std::int32_t x = m_world.startX, y = m_world.startY;
    if (!FreeCellNear(m_world.startX, m_world.startY, x, y)) {
        Send(session, "(There is no room in Meadowcross right now.");
        return;
    }
    state.avatar.x = x;
    state.avatar.y = y;
    state.avatar.facing = kFacingPlusY;
    state.stage = Stage::kInWorld;
    SendWorld(session, state);
    const Avatar& a = state.avatar;
    Broadcast("<" + a.colors + EncodePosition(a.x, a.y) + FrameCode(a.facing), session);
    Broadcast("(" + a.name + " has arrived.", session);
    Send(session, "(Welcome to Meadowcross, " + a.name + "! Walk onto a glowing marker to visit a dream.");
}

void GameRoom::Talk(int session, Session& state, const std::string& line) {
    const std::string& name = state.avatar.name;
    if (line[0] == '"') {
        Broadcast("(" + name + ": " + Printable(line.substr(1)));
    } else if (line[0] == ':') {
        Broadcast("(" + name + " " + Printable(line.substr(1)));
    } else if (StartsWith(line, "wh ")) {
        const std::string rest = line.substr(3);
        const std::size_t blank = rest.find(' ');
        const std::string target = rest.substr(0, blank);
        const std::string text = blank == std::string::npos ? "" : Printable(rest.substr(blank + 1));
        for (const auto& [other, otherState] : m_sessions) {
            if (otherState.stage != Stage::kInWorld || otherState.avatar.name != target) continue;
            Send(other, "(" + name + " whispers: " + text);
            Send(session, "(You whisper to " + target + ": " + text);
            return;
        }
        for (const Bot& bot : m_bots) {
            if (bot.avatar.name == target) {
                Send(session, "(" + target + " smiles at your whisper but says nothing.");
                return;
            }
        }
        Send(session, "(There is nobody called " + Printable(target) + " here.");
    } else {
        Send(session, "(The server does not know the command \"" + Printable(line) + "\".");
    }
}

void GameRoom::MoveAvatar(Avatar& avatar, std::int32_t toX, std::int32_t toY) {
    const std::string old = EncodePosition(avatar.x, avatar.y);
    avatar.x = toX;
    avatar.y = toY;
    Broadcast("/" + avatar.colors + EncodePosition(toX, toY) + FrameCode(avatar.facing) + old);
}

void GameRoom::Turn(Avatar& avatar, bool clockwise) {
    avatar.facing = TurnFacing(avatar.facing, clockwise);
    MoveAvatar(avatar, avatar.x, avatar.y);
}

void GameRoom::Walk(int session, Session& state, char key) {
    Avatar& a = state.avatar;
    std::int32_t toX = 0, toY = 0;
    int facing = a.facing;
    if (!StepTarget(m_world, a.x, a.y, key, toX, toY, facing)) return;
    a.facing = facing;
    if (CanEnter(m_world, a.x, a.y, toX, toY) && !Occupied(toX, toY)) {
        MoveAvatar(a, toX, toY);
    } else {
        MoveAvatar(a, a.x, a.y);  // the avatar turns toward the blocked step
    }
    Send(session, "@" + EncodePosition(a.x, a.y));
    if (const DreamSpot* dream = DreamAt(m_world, a.x, a.y); dream != nullptr && a.x == toX && a.y == toY) {
        Send(session, "(You step into the dream \"" + dream->label + "\"...");
        Send(session, "]q " + dream->id);
    }
}

void GameRoom::Look(int session, const std::string& line) {
    if (line.size() < 6) return;
    const std::int32_t x = decodeBase95(line.substr(2, 2));
    const std::int32_t y = decodeBase95(line.substr(4, 2));
    std::string text = DescribeCell(m_world, x, y);
    if (text.empty()) {
        Send(session, "(There is nothing there.");
        return;
    }
    if (const Avatar* avatar = AvatarAt(x, y)) {
        text += ". " + avatar->name + " is here" + (avatar->desc.empty() ? "" : ": " + avatar->desc);
    }
    Send(session, "(You see " + text + ".");
}
