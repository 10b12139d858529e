// The handlers of the server lines that change the world: avatars, single cells, the map with its floor
// textures, the player position, the floor palette, dream markers and dream downloads. Each takes the
// whole line, already checked for its kind's minimum length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/VelmDataManager.h"

// The lists stop growing here; a line that would add beyond is dropped (reported once per map load).
constexpr std::size_t kMaxCharacters = 65536;
constexpr std::size_t kMaxDreamMarkers = 4096;
// Dream downloads under way at once; a further offer is dropped with a message.
constexpr std::size_t kMaxTransfers = 8;

// Puts the record into the character list: the first record at (gx, gy) leaves, then a record standing on
// the new record's own cell is overwritten, or the record is appended.
void PlaceAvatar(std::int32_t gx, std::int32_t gy, const CharacterRecord& record);

void HandleAvatarLeaves(std::string_view line);        // ")" X Y
void HandleAvatarMoves(std::string_view line);         // "/" colours, new X Y, frame, old X Y
void HandleFloorChange(std::string_view line);         // "1" X Y floor
void HandleAvatarAppears(std::string_view line);       // "<" colours, X Y, frame
void HandleMapLoad(std::string_view line);             // ";" map file
void HandleObjectChange(std::string_view line);        // ">" X Y object
void HandlePlayerPosition(std::string_view line);      // "@" X Y
void HandleFloorPalette(std::string_view line);        // "]cc" palette file
void HandleDreamMarker(std::string_view line);         // "]s" X Y, two unused characters, label
void HandleDreamMarkerRemoved(std::string_view line);  // "]t" X Y
void HandleDreamDownload(std::string_view line);       // "]q", one skipped character, dream id

// True when a file name the server gave may be read: relative, without a drive name or a ".."
// component. Otherwise false, with a message in _error.txt.
bool IsSafeServerPath(std::string_view path);
