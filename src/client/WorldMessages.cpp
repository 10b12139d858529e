// The world-message handlers: they change the character and dream marker lists, the player position, the
// map's cells and the world renderer's floor data.
#include "client/WorldMessages.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "client/SessionReplay.h"
#include "data/AvatarCode.h"
#include "data/PcxPalette.h"
#include "data/SpkArchive.h"
#include "data/WorldMap.h"
#include "platform/MessageBox.h"
#include "platform/NativePath.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"
#include "world/FloorTextures.h"
#include "world/VelmRenderer.h"

namespace {

struct WorldMessageState {
    bool limitReported = false;  // a line beyond a list's limit was reported since the last map load
};

WorldMessageState& State() {
    static WorldMessageState state;
    return state;
}

[[maybe_unused]] const bool kRegistered =
    RegisterProcessState("world messages", [] { State() = WorldMessageState{}; });

constexpr const char* kFloorArchive = "patches\\default\\floors.spk";
constexpr const char* kPaletteFolder = "patches\\default\\";
constexpr const char* kFloorTextureFailure =
    "Something bad happened while trying to create floor textures from .spk images.\nThis process is rather "
    "contorted right now, so if this is failing on your hardware now... hopefully it will be better in the "
    "future sometime when I redo it.";

// The grid cell of the two-digit file coordinates at line[at] (x) and line[at + 2] (y).
void CellAt(std::string_view line, std::size_t at, std::int32_t& gx, std::int32_t& gy) {
    fileToGrid(decodeBase95(line.substr(at, 2)), decodeBase95(line.substr(at + 2, 2)), gx, gy);
}

void ReportLimit(const char* list) {
    WorldMessageState& state = State();
    if (state.limitReported) return;
    state.limitReported = true;
    errorLog.Write(std::string("The server sent more ") + list +
                   " than the client keeps: further lines are dropped until the next map.\n");
}

// A record built from the avatar codes, its fields starting at zero, standing on the cell.
CharacterRecord MakeCharacter(std::string_view colorCode, std::string_view frameCode, std::int32_t gx,
                              std::int32_t gy) {
    CharacterRecord record;
    decodeAvatarAppearance(colorCode, frameCode, record);
    record.x = gx;
    record.y = gy;
    return record;
}

std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text) out += (c >= 32 && c <= 126) ? c : '?';
    return out;
}

// A file that the server named (name) and that is read from path: a safe relative name, and a regular
// file when it exists (a missing file is left to the reader, which reports it).
bool IsReadableServerFile(std::string_view name, const std::string& path) {
    if (!IsSafeServerPath(name)) return false;
    std::error_code error;
    const auto status = std::filesystem::status(NativePath(path), error);
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return true;
    errorLog.Write("Refused to read \"" + Printable(path) + "\" named by the server: not a regular file.\n");
    return false;
}

}  // namespace

bool IsSafeServerPath(std::string_view path) {
    bool safe = !path.empty() && path[0] != '\\' && path[0] != '/';
    std::size_t start = 0;
    for (std::size_t i = 0; safe && i <= path.size(); ++i) {
        if (i < path.size() && (static_cast<unsigned char>(path[i]) < 32 || path[i] == ':')) safe = false;
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (path.substr(start, i - start) == "..") safe = false;
            start = i + 1;
        }
    }
    if (!safe) {
        errorLog.Write("Refused to read \"" + Printable(path) +
                       "\" named by the server: only relative paths inside the game directory are read.\n");
    }
    return safe;
}

void PlaceAvatar(std::int32_t gx, std::int32_t gy, const CharacterRecord& record) {
    RemoveCharacterAt(gx, gy);
    if (CharacterRecord* standing = FindCharacterAt(record.x, record.y)) {
        *standing = record;
    } else if (CharacterList().size() < kMaxCharacters) {
        AddCharacter(record);
    } else {
        ReportLimit("avatars");
    }
}

void HandleAvatarLeaves(std::string_view line) {
    std::int32_t gx = 0, gy = 0;
    CellAt(line, 1, gx, gy);
    RemoveCharacterAt(gx, gy);
}

void HandleAvatarMoves(std::string_view line) {
    std::int32_t newX = 0, newY = 0, oldX = 0, oldY = 0;
    CellAt(line, 11, newX, newY);
    CellAt(line, 17, oldX, oldY);
    PlaceAvatar(oldX, oldY, MakeCharacter(line.substr(1, 10), line.substr(15, 2), newX, newY));
}

void HandleFloorChange(std::string_view line) {
    std::int32_t gx = 0, gy = 0;
    CellAt(line, 1, gx, gy);
    setFloor(gx, gy, static_cast<std::uint16_t>(decodeBase95(line.substr(5, 2))));
    notifyCellChanged(gx, gy);
}

void HandleAvatarAppears(std::string_view line) {
    std::int32_t gx = 0, gy = 0;
    CellAt(line, 11, gx, gy);
    PlaceAvatar(gx, gy, MakeCharacter(line.substr(1, 10), line.substr(15, 2), gx, gy));
}

void HandleMapLoad(std::string_view line) {
    RemoveAllCharacters();
    RemoveAllDreamMarkers();
    State().limitReported = false;

    const std::string path(line.substr(1));
    if (IsReadableServerFile(path, path)) {
        loadMapFile(path);
    } else {
        CurrentMap().clear();  // as after a map file that cannot be read
    }

    SpkArchive archive;
    archive.load(kFloorArchive);
    std::vector<DXG::Texture> textures;
    if (!BuildFloorTextures(archive, textures)) ShowMessageBox("oops", kFloorTextureFailure);
    setFloorTextures(textures);
}

void HandleObjectChange(std::string_view line) {
    std::int32_t gx = 0, gy = 0;
    CellAt(line, 1, gx, gy);
    setObject(gx, gy, static_cast<std::uint16_t>(decodeBase95(line.substr(5, 2))));
}

void HandlePlayerPosition(std::string_view line) {
    std::int32_t gx = 0, gy = 0;
    CellAt(line, 1, gx, gy);
    SetPlayerPosition(gx, gy);
}

void HandleFloorPalette(std::string_view line) {
    const std::string_view name = line.substr(3);
    const std::string path = kPaletteFolder + std::string(name);
    if (IsReadableServerFile(name, path)) loadPcxPalette(path);
}

void HandleDreamMarker(std::string_view line) {
    if (DreamMarkerList().size() >= kMaxDreamMarkers) {
        ReportLimit("dream markers");
        return;
    }
    DreamMarkerRecord record;
    CellAt(line, 2, record.x, record.y);
    const std::string_view label = line.substr(8);
    const std::size_t blank = label.find(' ');
    record.line1 = std::string(label.substr(0, blank));
    if (blank != std::string_view::npos) {
        for (char c : label.substr(blank + 1)) {
            if (c != ' ') record.line2 += c;
        }
    }
    AddDreamMarker(record);
}

void HandleDreamMarkerRemoved(std::string_view line) {
    std::int32_t gx = 0, gy = 0;
    CellAt(line, 2, gx, gy);
    RemoveDreamMarkerAt(gx, gy);
}

void HandleDreamDownload(std::string_view line) {
    const std::string_view rest = line.substr(3);
    const std::string id(rest.substr(0, rest.find(' ')));
    // Two getters of one dream would write the same file at once, and every download is a thread and a
    // connection of its own: an offer of a dream already on its way, or beyond the limit, is dropped.
    for (const TransferRecord& transfer : Transfers()) {
        if (transfer.id == id) {
            errorLog.Write("Dream \"" + Printable(id) +
                           "\" is already being downloaded; the offer is dropped.\n");
            return;
        }
    }
    if (Transfers().size() >= kMaxTransfers) {
        errorLog.Write("Too many dream downloads at once; the offer of \"" + Printable(id) +
                       "\" is dropped.\n");
        return;
    }
    if (IsReplaying()) {
        // A replay reaches no server, the file server included.
        PostTransferMessage("> Dream \"" + Printable(id) + "\" is not downloaded in a replay.");
        return;
    }
    StartDownload(id, 0, "vvw_tmp\\" + id);
    PostTransferMessage("> Downloading Dream...");
}
