// The game server's bots: avatars without a connection that wander the map and say things now and then.
#include "GameRoom.h"

namespace {

std::chrono::milliseconds Between(std::mt19937& random, int low, int high) {
    return std::chrono::milliseconds(low +
                                     static_cast<int>(random() % static_cast<unsigned>(high - low + 1)));
}

}  // namespace

void GameRoom::PlaceBots(GameClock::time_point now) {
    m_botsPlaced = true;
    if (m_world.bots.empty()) return;
    for (int i = 0; i < m_options.bots; ++i) {
        const BotEntry& entry = m_world.bots[static_cast<std::size_t>(i) % m_world.bots.size()];
        Bot bot;
        bot.random.seed(static_cast<std::uint32_t>(1000 + i));
        bot.avatar.name = entry.name;
        if (i >= static_cast<int>(m_world.bots.size())) bot.avatar.name += std::to_string(i + 1);
        bot.avatar.colors = entry.colors;
        bot.avatar.facing = static_cast<int>(bot.random() % 4);
        // Spread around the start: a few steps away in a direction of its own.
        std::int32_t x = m_world.startX, y = m_world.startY;
        const char key = "9317"[i % 4];
        for (int step = 0; step < 3 + i; ++step) {
            std::int32_t nx = 0, ny = 0;
            int facing = 0;
            StepTarget(m_world, x, y, key, nx, ny, facing);
            if (!CanEnter(m_world, x, y, nx, ny)) break;
            x = nx;
            y = ny;
        }
        if (!FreeCellNear(x, y, bot.avatar.x, bot.avatar.y)) break;
        bot.nextStep = now + Between(bot.random, 500, 1500);
        bot.nextWords = now + Between(bot.random, 1000, 4000);
        m_bots.push_back(std::move(bot));
    }
}

void GameRoom::MoveBots(GameClock::time_point now) {
    for (Bot& bot : m_bots) {
        Avatar& a = bot.avatar;
        if (now >= bot.nextStep) {
            bot.nextStep = now + Between(bot.random, 600, 1600);
            const unsigned choice = bot.random() % 6;
            if (choice == 5) {
                Turn(a, bot.random() % 2 == 0);
            } else {
                // Mostly straight on, sometimes a new way.
                const char ways[] = {'9', '7', '1', '3'};
                const char key = choice < 3 ? ways[(a.facing == kFacingMinusY)   ? 0
                                                   : (a.facing == kFacingMinusX) ? 1
                                                   : (a.facing == kFacingPlusY)  ? 2
                                                                                 : 3]
                                            : ways[bot.random() % 4];
                std::int32_t toX = 0, toY = 0;
                int facing = a.facing;
                StepTarget(m_world, a.x, a.y, key, toX, toY, facing);
                a.facing = facing;
                const bool free = CanEnter(m_world, a.x, a.y, toX, toY) && !Occupied(toX, toY) &&
                                  DreamAt(m_world, toX, toY) == nullptr;
                MoveAvatar(a, free ? toX : a.x, free ? toY : a.y);
            }
        }
        if (now >= bot.nextWords && !m_world.botPhrases.empty()) {
            bot.nextWords = now + Between(bot.random, 6000, 14000);
            const std::string& phrase = m_world.botPhrases[bot.random() % m_world.botPhrases.size()];
            Broadcast("(" + a.name + ": " + phrase);
        }
    }
}
