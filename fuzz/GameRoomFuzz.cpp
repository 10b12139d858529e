// The stand-in game server's handling of client bytes: up to four sessions open, send pieces of lines,
// let time pass and go, in the order the input gives. The first byte picks the fault mode and accounts.
//
// Each step: one byte, whose low three bits choose the action and the next two the session; a receive
// takes a length byte and that many bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "FuzzFile.h"
#include "GameRoom.h"

namespace {
const GameWorld& World() {
    static const GameWorld world = [] {
        const std::string cells(16 * 2, '\0');
        const std::string map = "MAP V01.10 Velmoria\nheight=4\nwidth=4\nBODY\n" + cells + cells + cells;
        const std::string text =
            "greeting Hi\npalette p.pcx\nmap maps\\m.map\nstart 1 1\nfloor 0 grass\n"
            "floor 1 blocked water\nobject 1 solid a tree\ndream 2 2 d-1 A Dream\n"
            "bot Pip !!!!!!!!!!\nsay Hello\n";
        std::filesystem::create_directories("fuzz-world/maps");
        std::filesystem::create_directories("fuzz-world/server");
        WriteFuzzFile("fuzz-world/maps/m.map", reinterpret_cast<const std::uint8_t*>(map.data()), map.size());
        WriteFuzzFile("fuzz-world/server/world.txt", reinterpret_cast<const std::uint8_t*>(text.data()),
                      text.size());
        GameWorld loaded;
        std::string error;
        if (!LoadGameWorld("fuzz-world", loaded, error)) __builtin_trap();
        return loaded;
    }();
    return world;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    RoomOptions options;
    options.fault = static_cast<GameFault>(data[0] % 7);
    options.bots = 2;
    options.checkAccounts = (data[0] & 0x80) != 0;
    options.accounts["Ann"] = "secret";
    std::set<int> open;
    GameRoom room(
        World(), options,
        [&open](int session, const std::string&) {
            if (open.count(session) == 0) __builtin_trap();  // bytes for a session that is not open
        },
        [&open](int session) { open.erase(session); });
    GameClock::time_point now{};
    for (std::size_t at = 1; at < size;) {
        const int action = data[at] & 7;
        const int session = 1 + ((data[at] >> 3) & 3);
        ++at;
        if (action == 0) {
            if (open.insert(session).second) room.Open(session, now);
        } else if (action == 1) {
            open.erase(session);
            room.Gone(session);
        } else if (action == 2) {
            now += std::chrono::seconds(at < size ? data[at++] : 1);
            room.Tick(now);
        } else {
            const std::size_t asked = at < size ? data[at++] : 0;
            const std::size_t length = std::min(asked, size - at);
            room.Receive(session, data + at, length, now);
            at += length;
        }
    }
    return 0;
}
