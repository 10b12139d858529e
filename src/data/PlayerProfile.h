// The player profile: one of the game's ".ini" player files, read into the one process-wide record that
// the login and the dream download use.
#pragma once

#include <cstdint>
#include <string>

struct PlayerProfile {
    std::string name;        // "Name=": sent at login
    std::string password;    // "Password=": sent at login
    std::string colors;      // "Colors=": the colour code, sent after login as it is
    std::string desc;        // "Desc=": the description, sent after login
    std::int32_t spec1 = 0;  // first character after "Spec=" minus '0' (not checked to be a digit)
    std::int32_t spec2 = 0;  // second character after "Spec=" minus '0'
};

// Reads the file (name used unchanged, relative to the working directory) into the process-wide record.
// True when the file could be opened and all five vital fields stood before its first empty line. A
// field is overwritten only when its line is read, so a failed read may leave the record partly changed.
bool LoadPlayerIni(const std::string& fileName);

// The same rules into a record of the caller's (the inspector tool, tests).
bool LoadPlayerIni(const std::string& fileName, PlayerProfile& profile);

// The process-wide record.
const PlayerProfile& GetPlayerProfile();
