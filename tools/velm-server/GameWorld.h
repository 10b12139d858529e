// The stand-in game server's world: its description (game/server/world.txt of a game directory), the map
// it names, and the rules of walking and looking on that map's staggered layout.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/WorldMap.h"

struct DreamSpot {
    std::int32_t x = 0, y = 0;  // file coordinates
    std::string id;             // the file server's id of the dream
    std::string label;          // shown over the marker; its first word is the first label line
};

struct BotEntry {
    std::string name;
    std::string colors;  // ten colour code characters
};

struct GameWorld {
    std::vector<std::string> greeting;  // the lines before the closing "END" line
    std::string palette;                // name under patches\default\ sent after "]cc"
    std::string mapPath;                // program path sent after ";", relative to the game directory
    std::int32_t startX = 0, startY = 0;
    std::map<int, std::string> floorNames;
    std::set<int> blockedFloors;  // nobody walks onto these (deep water)
    std::map<int, std::string> objectNames;
    std::set<int> solidObjects;  // nobody walks into these (trees, pillars)
    std::vector<DreamSpot> dreams;
    std::vector<BotEntry> bots;
    std::vector<std::string> botPhrases;
    WorldMap map;  // the map of mapPath, for the server's own rules
};

// Reads DIR/server/world.txt and the map it names. False with a reason when either is unusable.
bool LoadGameWorld(const std::string& gameDirectory, GameWorld& world, std::string& error);

// Facing codes of the avatar lines: 0 toward -y, 1 toward -x, 2 toward +y, 3 toward +x (grid axes).
enum Facing { kFacingMinusY = 0, kFacingMinusX = 1, kFacingPlusY = 2, kFacingPlusX = 3 };

// Whether (x, y) is one of the map's file cells.
bool IsFileCell(const GameWorld& world, std::int32_t x, std::int32_t y);

// One step of "m 9" (key '9'), "m 7", "m 1" or "m 3" from the file cell (x, y): the neighbour it leads to
// and the facing of the step. False for another key. The neighbour may lie off the map; see CanEnter.
bool StepTarget(const GameWorld& world, std::int32_t x, std::int32_t y, char key, std::int32_t& toX,
                std::int32_t& toY, int& facing);

// Whether a walker may go from (x, y) to its neighbour (toX, toY): the target is a file cell with a floor
// that is not blocked, holds no solid object, and no wall stands on the edge between the two.
bool CanEnter(const GameWorld& world, std::int32_t x, std::int32_t y, std::int32_t toX, std::int32_t toY);

// The facing after ">" (clockwise) or "<".
int TurnFacing(int facing, bool clockwise);

// The frame number of a standing avatar with this facing.
int StandingFrame(int facing);

// What a look at the file cell shows: floor, object and dream, in words ("" outside the map).
std::string DescribeCell(const GameWorld& world, std::int32_t x, std::int32_t y);

// The dream whose marker stands on the file cell, or null.
const DreamSpot* DreamAt(const GameWorld& world, std::int32_t x, std::int32_t y);
