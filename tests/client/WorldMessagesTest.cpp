// The world-message handlers, fed through HandleServerLine after the login.
#include <string>
#include <tuple>
#include <vector>

#include "ClientTestSupport.h"
#include "client/ServerLines.h"
#include "client/WorldMessages.h"
#include "data/AvatarCode.h"
#include "data/DataTestFiles.h"
#include "data/PcxPalette.h"
#include "data/WorldMap.h"
#include "net/VelmDataManager.h"
#include "world/VelmRenderer.h"

namespace {

std::pair<std::int32_t, std::int32_t> Grid(int x, int y) {
    std::int32_t gx = 0, gy = 0;
    fileToGrid(x, y, gx, gy);
    return {gx, gy};
}

std::string At(std::pair<std::int32_t, std::int32_t> cell, int colour) {
    return std::to_string(cell.first) + "," + std::to_string(cell.second) + ":" + std::to_string(colour) +
           " ";
}

// Where each avatar stands and its first colour, in list order.
std::string Avatars() {
    std::string out;
    for (const CharacterRecord& c : CharacterList()) out += At({c.x, c.y}, c.colors[0]);
    return out;
}

// "<" with all ten colours c (as a code character) at the file cell, frame code "!!".
std::string Appears(char c, int x, int y) {
    return "<" + std::string(10, c) + Xy(x, y) + "!!";
}

std::string Moves(char c, int toX, int toY, int fromX, int fromY) {
    return "/" + std::string(10, c) + Xy(toX, toY) + "!!" + Xy(fromX, fromY);
}

class WorldMessagesTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        WriteTextFile("maps/room.map", MapFileBytes(6, 8));
        ASSERT_TRUE(loadMapFile("maps\\room.map"));
        LogInWithoutConnection();
        TakeMessages();
        ClearLog(errorLog);
    }
};

void Lines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) HandleServerLine(line);
}

TEST_F(WorldMessagesTest, AvatarsTakeOneRecordPerCell) {
    struct Row {
        const char* name;
        std::vector<std::string> lines;
        std::string avatars;
    } rows[] = {
        {"a move from an empty cell adds",
         {Appears('!', 1, 2), Moves('$', 3, 3, 2, 2)},
         At(Grid(1, 2), 1) + At(Grid(3, 3), 4)},
        {"a move leaves the old cell and replaces the new one's",
         {Appears('!', 1, 2), Appears('"', 3, 3), Moves('$', 3, 3, 1, 2)},
         At(Grid(3, 3), 4)},
        {"leaving removes the avatar",
         {Appears('!', 1, 2), Appears('"', 2, 2), ")" + Xy(1, 2)},
         At(Grid(2, 2), 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveAllCharacters();
        Lines(row.lines);
        EXPECT_EQ(Avatars(), row.avatars);
    }
}

TEST_F(WorldMessagesTest, CellsPositionMarkersAndDownloads) {
    Lines({"@ * 4", "1" + Xy(2, 3) + encodeBase95(300, true), ">" + Xy(2, 3) + encodeBase95(7, true)});
    std::int32_t x = 0, y = 0;
    GetPlayerPosition(x, y);
    EXPECT_EQ((std::pair{x, y}), Grid(10, 20));
    auto [gx, gy] = Grid(2, 3);
    EXPECT_EQ((std::pair<int, int>{getFloor(gx, gy), getObject(gx, gy)}), (std::pair{300, 7}));

    // Marker labels split at the first blank; the rest runs together without blanks.
    Lines({"]s" + Xy(1, 1) + "..Red door  here", "]s" + Xy(2, 2) + "..Solo", "]s" + Xy(3, 3) + ".. lead",
           "]t" + Xy(2, 2), "]t" + Xy(4, 4)});
    std::vector<std::string> markers;
    for (const DreamMarkerRecord& m : DreamMarkerList()) markers.push_back(m.line1 + "|" + m.line2);
    EXPECT_EQ(markers, (std::vector<std::string>{"Red|doorhere", "|lead"}));

    WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 1\n");  // refused at once
    HandleServerLine("]q lake house words");
    // A dream already on its way is not fetched twice; downloads at once are bounded.
    for (int i = 0; i < 12; ++i)
        HandleServerLine("]q " + std::string(i == 0 ? "lake" : "dream" + std::to_string(i)));
    EXPECT_EQ(Transfers().size(), kMaxTransfers);
    EXPECT_EQ(std::count_if(Transfers().begin(), Transfers().end(), [](auto& t) { return t.id == "lake"; }),
              1);
}

// What the world lines can change, as one text.
std::string WorldState() {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    GetPlayerPosition(x, y);
    mapSize(width, height);
    const auto [gx, gy] = Grid(1, 1);
    std::string text = Avatars();
    for (std::int64_t value :
         {std::int64_t(DreamMarkerList().size()), std::int64_t(x), std::int64_t(y), std::int64_t(width),
          std::int64_t(height), std::int64_t(getFloor(gx, gy)), std::int64_t(getObject(gx, gy)),
          std::int64_t(FloorPalette()[0]), std::int64_t(Transfers().size())})
        text += "|" + std::to_string(value);
    return text;
}

TEST_F(WorldMessagesTest, EveryKindActsFromItsMinimumLengthAndIsIgnoredBelowIt) {
    WriteTextFile("patches/default/p", std::string(768, '\x7F'));
    WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 1\n");  // downloads are refused at once
    const std::string at = Xy(1, 1);
    const std::string rows[] = {
        ")" + at,
        "/" + std::string(10, '#') + Xy(2, 2) + "!!" + at,
        "1" + at + encodeBase95(9, true),
        Appears('#', 2, 2),
        ";a.map",
        ">" + at + encodeBase95(9, true),
        "@" + Xy(3, 3),
        "]ccp",
        "]s" + Xy(2, 2) + "..",
        "]t" + at,
        "]q abc",
    };
    for (const std::string& line : rows) {
        SCOPED_TRACE(line);
        ASSERT_TRUE(loadMapFile("maps\\room.map"));
        RemoveAllCharacters();
        RemoveAllDreamMarkers();
        Lines({Appears('!', 1, 1), "]s" + at + "..m"});
        const std::string before = WorldState();
        HandleServerLine(line.substr(0, line.size() - 1));
        EXPECT_EQ(WorldState(), before) << "one character short";
        HandleServerLine(line);
        EXPECT_NE(WorldState(), before) << "at the minimum length";
    }
}

TEST_F(WorldMessagesTest, ServerNamedFilesOutsideTheGameDirectoryAreRefusedAndAMapLoadClearsTheLists) {
    std::filesystem::create_directories("maps/folder.map");
    WriteTextFile("outside.pcx", std::string(900, '\x7F'));
    for (const char* line : {";..\\room.map", ";/etc/passwd", ";C:room.map", ";maps\\..\\..\\x.map",
                             ";maps\\folder.map", "]cc..\\..\\outside.pcx"}) {
        SCOPED_TRACE(line);
        ClearLog(errorLog);
        Lines({Appears('!', 1, 2), "]s" + Xy(1, 1) + "..m", line});
        EXPECT_NE(ErrorText().find("Refused to read"), std::string::npos);
        if (line[0] == ';') {
            std::int32_t width = -1, height = -1;
            mapSize(width, height);
            EXPECT_EQ(width, 0);  // and a map load, even a refused one, clears the lists
            EXPECT_TRUE(CharacterList().empty());
            EXPECT_TRUE(DreamMarkerList().empty());
        }
    }
    EXPECT_EQ(FloorPalette()[0], 0u);
}

TEST_F(WorldMessagesTest, ListsStopGrowingAtTheirLimitsReportedOncePerMap) {
    for (std::size_t i = 0; i < kMaxCharacters; ++i) {
        CharacterRecord record;
        record.x = static_cast<std::int32_t>(i);
        record.y = -100;
        if (i == 0) std::tie(record.x, record.y) = Grid(0, 0);
        AddCharacter(record);
    }
    for (std::size_t i = 0; i < kMaxDreamMarkers; ++i) HandleServerLine("]s" + Xy(1, 1) + "..m");
    Lines({Appears('!', 1, 2), Appears('!', 2, 2), "]s" + Xy(1, 1) + "..m"});
    EXPECT_EQ(CharacterList().size(), kMaxCharacters);
    EXPECT_EQ(DreamMarkerList().size(), kMaxDreamMarkers);
    // An avatar appearing where one stands takes its place.
    HandleServerLine(Appears('#', 0, 0));
    EXPECT_EQ(CharacterList().size(), kMaxCharacters);
    EXPECT_EQ(CharacterList().back().colors[0], 3);
    const std::string report = "further lines are dropped until the next map";
    const std::string log = ErrorText();
    EXPECT_NE(log.find(report), std::string::npos);
    EXPECT_EQ(log.find(report, log.find(report) + 1), std::string::npos);

    HandleServerLine(";maps\\room.map");
    ClearLog(errorLog);
    for (std::size_t i = 0; i <= kMaxDreamMarkers; ++i) HandleServerLine("]s" + Xy(1, 1) + "..m");
    EXPECT_NE(ErrorText().find(report), std::string::npos);
}

}  // namespace
