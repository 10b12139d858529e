// The world description and the map rules of the stand-in game server.
//
// world.txt holds one entry per line, a keyword and its values; "#" starts a comment line:
//   greeting TEXT            a greeting line (in order)
//   palette NAME             the floor palette, a file in patches\default
//   map PATH                 the map, relative to the game directory, with backslashes
//   start X Y                where newcomers appear (file coordinates)
//   floor N [blocked] NAME   the name of floor tile N; blocked floors cannot be walked on
//   object N [solid] NAME    the name of object N; solid objects cannot be walked into
//   dream X Y ID LABEL       a dream marker
//   bot NAME COLORS          a bot and its ten colour code characters
//   say TEXT                 something the bots say
#include "GameWorld.h"

#include <fstream>
#include <sstream>

namespace {

std::string RestOfLine(std::istringstream& in) {
    std::string rest;
    std::getline(in >> std::ws, rest);
    return rest;
}

// "blocked"/"solid" flag word followed by the name, or the name alone.
std::string FlaggedName(std::istringstream& in, const char* flag, bool& flagged) {
    std::string rest = RestOfLine(in);
    const std::string word = std::string(flag) + " ";
    flagged = rest.rfind(word, 0) == 0;
    return flagged ? rest.substr(word.size()) : rest;
}

bool ParseEntry(const std::string& keyword, std::istringstream& in, GameWorld& world) {
    if (keyword == "greeting") {
        world.greeting.push_back(RestOfLine(in));
    } else if (keyword == "palette") {
        in >> world.palette;
    } else if (keyword == "map") {
        in >> world.mapPath;
    } else if (keyword == "start") {
        in >> world.startX >> world.startY;
    } else if (keyword == "floor" || keyword == "object") {
        int number = -1;
        in >> number;
        if (!in || number < 0 || number > 0xFFFF) return false;
        bool flagged = false;
        if (keyword == "floor") {
            world.floorNames[number] = FlaggedName(in, "blocked", flagged);
            if (flagged) world.blockedFloors.insert(number);
        } else {
            world.objectNames[number] = FlaggedName(in, "solid", flagged);
            if (flagged) world.solidObjects.insert(number);
        }
    } else if (keyword == "dream") {
        DreamSpot spot;
        in >> spot.x >> spot.y >> spot.id;
        spot.label = RestOfLine(in);
        if (spot.id.empty()) return false;
        world.dreams.push_back(spot);
    } else if (keyword == "bot") {
        BotEntry bot;
        in >> bot.name >> bot.colors;
        if (bot.colors.size() != 10) return false;
        world.bots.push_back(bot);
    } else if (keyword == "say") {
        world.botPhrases.push_back(RestOfLine(in));
    } else {
        return false;
    }
    return !in.bad();
}

// Grid neighbours of the four walking keys: 9 and 1 move along grid y, 7 and 3 along grid x.
struct GridStep {
    char key;
    int dx, dy, facing;
};
constexpr GridStep kSteps[] = {{'9', 0, -1, kFacingMinusY},
                               {'7', -1, 0, kFacingMinusX},
                               {'1', 0, 1, kFacingPlusY},
                               {'3', 1, 0, kFacingPlusX}};

}  // namespace

bool LoadGameWorld(const std::string& gameDirectory, GameWorld& world, std::string& error) {
    const std::string path = gameDirectory + "/server/world.txt";
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream entry(line);
        std::string keyword;
        if (!(entry >> keyword) || keyword[0] == '#') continue;
        if (!ParseEntry(keyword, entry, world)) {
            error = path + " line " + std::to_string(lineNumber) + ": cannot use \"" + line + "\"";
            return false;
        }
    }
    if (world.mapPath.empty() || world.palette.empty()) {
        error = path + " names no map or no palette";
        return false;
    }
    std::string mapFile = gameDirectory + "/" + world.mapPath;
    for (char& c : mapFile) c = c == '\\' ? '/' : c;
    if (!world.map.load(mapFile)) {
        error = "cannot load the map " + mapFile;
        return false;
    }
    if (!IsFileCell(world, world.startX, world.startY)) {
        error = "the start lies outside the map";
        return false;
    }
    return true;
}

bool IsFileCell(const GameWorld& world, std::int32_t x, std::int32_t y) {
    return x >= 0 && y >= 0 && x < world.map.fileWidth() && y < world.map.fileHeight();
}

bool StepTarget(const GameWorld& world, std::int32_t x, std::int32_t y, char key, std::int32_t& toX,
                std::int32_t& toY, int& facing) {
    for (const GridStep& step : kSteps) {
        if (step.key != key) continue;
        std::int32_t gx = 0, gy = 0;
        world.map.fileToGrid(x, y, gx, gy);
        world.map.gridToFile(gx + step.dx, gy + step.dy, toX, toY);
        // A grid cell outside the file's diamond has no file cell: its conversion does not come back.
        std::int32_t backX = 0, backY = 0;
        world.map.fileToGrid(toX, toY, backX, backY);
        if (backX != gx + step.dx || backY != gy + step.dy) toX = toY = -1;
        facing = step.facing;
        return true;
    }
    return false;
}

bool CanEnter(const GameWorld& world, std::int32_t x, std::int32_t y, std::int32_t toX, std::int32_t toY) {
    if (!IsFileCell(world, x, y) || !IsFileCell(world, toX, toY)) return false;
    std::int32_t gx = 0, gy = 0, tx = 0, ty = 0;
    world.map.fileToGrid(x, y, gx, gy);
    world.map.fileToGrid(toX, toY, tx, ty);
    const std::uint16_t floor = world.map.getFloor(tx, ty);
    if (floor == 0xFFFF || world.blockedFloors.count(floor) != 0) return false;
    if (world.solidObjects.count(world.map.getObject(tx, ty)) != 0) return false;
    // A wall byte of a cell stands on its low edge: crossing toward lower x or y meets the mover's own
    // wall, toward higher x or y the target's.
    if (tx == gx - 1 && ty == gy) return world.map.getWallLowX(gx, gy) == 0;
    if (tx == gx + 1 && ty == gy) return world.map.getWallLowX(tx, ty) == 0;
    if (ty == gy - 1 && tx == gx) return world.map.getWallLowY(gx, gy) == 0;
    if (ty == gy + 1 && tx == gx) return world.map.getWallLowY(tx, ty) == 0;
    return false;  // not a neighbour
}

int TurnFacing(int facing, bool clockwise) {
    // Clockwise seen from above with y down the screen: -y, +x, +y, -x.
    static constexpr int kOrder[] = {kFacingMinusY, kFacingPlusX, kFacingPlusY, kFacingMinusX};
    int at = 0;
    while (at < 4 && kOrder[at] != facing) ++at;
    return kOrder[(at + (clockwise ? 1 : 3)) % 4];
}

int StandingFrame(int facing) {
    switch (facing) {
    case kFacingMinusY: return 13;
    case kFacingMinusX: return 9;
    case kFacingPlusX: return 5;
    default: return 1;
    }
}

const DreamSpot* DreamAt(const GameWorld& world, std::int32_t x, std::int32_t y) {
    for (const DreamSpot& spot : world.dreams) {
        if (spot.x == x && spot.y == y) return &spot;
    }
    return nullptr;
}

std::string DescribeCell(const GameWorld& world, std::int32_t x, std::int32_t y) {
    if (!IsFileCell(world, x, y)) return "";
    std::int32_t gx = 0, gy = 0;
    world.map.fileToGrid(x, y, gx, gy);
    const std::uint16_t floor = world.map.getFloor(gx, gy);
    std::ostringstream text;
    text << "(" << x << ", " << y << "): ";
    const auto floorName = world.floorNames.find(floor);
    if (floor == 0xFFFF) {
        text << "empty space";
    } else if (floorName != world.floorNames.end()) {
        text << floorName->second;
    } else {
        text << "floor " << floor;
    }
    if (const std::uint16_t object = world.map.getObject(gx, gy); object != 0) {
        const auto objectName = world.objectNames.find(object);
        text << ", " << (objectName != world.objectNames.end() ? objectName->second : "something");
    }
    if (const DreamSpot* dream = DreamAt(world, x, y)) text << ", the dream \"" << dream->label << "\"";
    return text.str();
}
