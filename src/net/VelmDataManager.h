// The process-wide store of client data that several parts of the client share: the transfers under
// way with their status text queue, the player position, the character list and the dream marker list.
// The player profile record lives with its reader (data/PlayerProfile.h).
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "data/AvatarCode.h"

namespace VELM {
class FileGetter;
}

struct TransferRecord {
    std::uint32_t kind = 0;              // 0 = dream; any other value = portrait
    bool upload = false;                 // never set: only downloads are started
    std::string id;                      // for a dream, the dream id the game server gave
    VELM::FileGetter* getter = nullptr;  // owned; released by EndTransfer
};

// One avatar: its appearance as the avatar codes decode it (decodeAvatarAppearance takes the record
// itself), and its grid cell.
struct CharacterRecord : AvatarAppearance {
    std::int32_t x = 0;  // grid cell
    std::int32_t y = 0;
};

struct DreamMarkerRecord {
    std::int32_t x = 0;  // grid cell
    std::int32_t y = 0;
    std::string line1;  // first label line
    std::string line2;  // second label line
};

// Sends one line to the game server; the sender adds the line feed.
using LineSender = std::function<bool(std::string_view line)>;

// Adds a transfer at the front of the list and creates its getter, which connects and opens its file
// before this returns. Returns the getter (owned by the list).
VELM::FileGetter* StartDownload(const std::string& id, std::uint32_t kind, const std::string& folder);
// Ends the transfer with the same id and getter: the getter's thread is stopped, its file and connection
// closed, and the record removed. A transfer that is not in the list is reported in errorLog.
void EndTransfer(TransferRecord record);
// The transfers under way, newest first (main thread only).
const std::list<TransferRecord>& Transfers();

// The status text queue; safe to use from any thread.
void PostTransferMessage(const std::string& text);
// Moves the oldest text into text and returns true; false (text untouched) when the queue is empty.
bool NextTransferMessage(std::string& text);

// The per-frame poll: ends the first (newest) finished dream download, sending "meadowcross" and
// "goback" through sendLine around the note that the dream is not entered.
void PollTransfers(const LineSender& sendLine);

void GetPlayerPosition(std::int32_t& x, std::int32_t& y);
void SetPlayerPosition(std::int32_t x, std::int32_t y);

const std::list<CharacterRecord>& CharacterList();
void AddCharacter(const CharacterRecord& record);  // at the end
void RemoveAllCharacters();
void RemoveCharacterAt(std::int32_t x, std::int32_t y);  // the first record at that cell
// The first record at the cell, or null.
CharacterRecord* FindCharacterAt(std::int32_t x, std::int32_t y);

const std::list<DreamMarkerRecord>& DreamMarkerList();
void AddDreamMarker(const DreamMarkerRecord& record);  // at the end
void RemoveAllDreamMarkers();
void RemoveDreamMarkerAt(std::int32_t x, std::int32_t y);  // the first record at that cell
