// The stand-in game server's sessions and world as a state machine over received bytes, with no socket
// of its own: bytes come in through Receive, go out through the send function, and time passes through
// Tick. The socket loop (GameServer.cpp) and tests drive it alike.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "GameWorld.h"

using GameClock = std::chrono::steady_clock;

// Misbehaviours for tests of the client.
enum class GameFault {
    kNone,
    kSplitGreeting,    // the greeting in two sends, cut inside its "END" line
    kNoEnd,            // a greeting without the "END" line
    kRefuseLogin,      // every login is refused
    kEndlessLine,      // once in the world: 2 MiB without a line feed, then a text
    kGarbage,          // once in the world: 64 KiB of random bytes, then a text
    kCloseAfterLogin,  // the connection is closed right after the acknowledgement
};

struct RoomOptions {
    GameFault fault = GameFault::kNone;
    int bots = 3;
    std::chrono::milliseconds loginLimit{30000};  // a connection not logged in by then is closed
    bool checkAccounts = false;
    std::map<std::string, std::string> accounts;  // name -> password, when checkAccounts
};

class GameRoom {
public:
    using SendFunction = std::function<void(int session, const std::string& bytes)>;
    using CloseFunction = std::function<void(int session)>;

    static constexpr std::size_t kLineLimit = 4096;  // longer client lines are dropped up to their line feed

    GameRoom(const GameWorld& world, RoomOptions options, SendFunction send, CloseFunction close);

    void Open(int session, GameClock::time_point now);
    void Receive(int session, const std::uint8_t* bytes, std::size_t count, GameClock::time_point now);
    void Gone(int session);  // the connection has ended
    void Tick(GameClock::time_point now);

private:
    struct Avatar {
        std::string name, desc;
        std::string colors = "!!!!!!!!!!";
        std::int32_t x = 0, y = 0;  // file coordinates
        int facing = kFacingPlusY;
    };
    enum class Stage { kGreeting, kLogin, kEntering, kInWorld, kRefused };
    struct Session {
        Stage stage = Stage::kGreeting;
        GameClock::time_point opened{};  // when the connection was accepted
        std::string line;                // bytes of the line being received
        bool dropping = false;           // the line being received is over the limit and is dropped
        Avatar avatar;
        GameClock::time_point due{};  // when the next part of a split greeting or a fault's bytes go
        std::size_t faultBytesLeft = 0;
        bool faultStarted = false;
        std::string held;  // lines that wait until the fault's bytes have gone, so nothing splits them
    };
    struct Bot {
        Avatar avatar;
        std::mt19937 random;
        GameClock::time_point nextStep{}, nextWords{};
    };

    // GameRoom.cpp: sessions, framing, greeting and login, faults.
    void Send(int session, const std::string& line);  // the line and a line feed
    void HandleLine(int session, Session& state, const std::string& line, GameClock::time_point now);
    void HandleLogin(int session, Session& state, const std::string& line);
    void SendFaultBytes(int session, Session& state, GameClock::time_point now);

    // GameCommands.cpp: the world: entering, talking, walking, looking, dreams.
    void HandleWorldLine(int session, Session& state, const std::string& line);
    void Enter(int session, Session& state);
    void SendWorld(int session, const Session& state);
    void Talk(int session, Session& state, const std::string& line);
    void Walk(int session, Session& state, char key);
    void Turn(Avatar& avatar, bool clockwise);
    void Look(int session, const std::string& line);
    void MoveAvatar(Avatar& avatar, std::int32_t toX, std::int32_t toY);
    void Broadcast(const std::string& line, int except = 0);
    bool Occupied(std::int32_t x, std::int32_t y) const;
    bool FreeCellNear(std::int32_t x, std::int32_t y, std::int32_t& freeX, std::int32_t& freeY) const;
    const Avatar* AvatarAt(std::int32_t x, std::int32_t y) const;

    // GameBots.cpp
    void PlaceBots(GameClock::time_point now);
    void MoveBots(GameClock::time_point now);

    const GameWorld& m_world;
    RoomOptions m_options;
    SendFunction m_send;
    CloseFunction m_close;
    std::map<int, Session> m_sessions;
    std::vector<Bot> m_bots;
    bool m_botsPlaced = false;
};

// Avatar line pieces: two base-95 digits each for x and y, the frame code of a standing avatar.
std::string EncodePosition(std::int32_t x, std::int32_t y);
std::string FrameCode(int facing);
