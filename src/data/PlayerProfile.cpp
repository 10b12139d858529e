// Reads player ".ini" files: a version line, then key lines up to the first empty line.
#include "data/PlayerProfile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/NativePath.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {
PlayerProfile g_profile;

// Lines longer than this are cut; the rest of such a line is skipped. Keeps one hostile line from
// sizing an allocation.
constexpr std::size_t kMaxLineLength = 4096;

// One line without its line feed, and without a carriage return just before it (text-mode reading).
// False at the end of the file when nothing was read.
bool ReadLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = std::fgetc(file);
    if (c == EOF) {
        return false;
    }
    while (c != EOF && c != '\n') {
        if (line.size() < kMaxLineLength + 1) {  // one extra so a cut "\r" still counts as before "\n"
            line += static_cast<char>(c);
        }
        c = std::fgetc(file);
    }
    if (c == '\n' && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (line.size() > kMaxLineLength) {
        line.resize(kMaxLineLength);
    }
    return true;
}

enum Field { kDesc, kColors, kName, kPassword, kSpec, kFieldCount };

// Keys in search order; the value starts at the key's length from the start of the line.
constexpr const char* kKeys[kFieldCount] = {"Desc=", "Colors=", "Name=", "Password=", "Spec="};
}  // namespace

bool LoadPlayerIni(const std::string& fileName, PlayerProfile& profile) {
    // Only regular files: a folder or a device is not a profile, and a device could feed bytes forever.
    std::error_code error;
    const std::string native = NativePath(fileName);
    std::FILE* file = nullptr;
    if (!fileName.empty() && std::filesystem::is_regular_file(native, error)) {
        file = std::fopen(native.c_str(), "rb");
    }
    if (file == nullptr) {
        errorLog.Write("Failed to open player ini file: " + fileName + "\n");
        return false;
    }
    std::string line;
    ReadLine(file, line);
    if (line.size() < 4 || line.compare(0, 4, "V1.6") != 0) {
        errorLog.Write("Warning: player ini file \"" + fileName + "\" not a recognized version.\n");
    }

    bool found[kFieldCount] = {};
    while (ReadLine(file, line) && !line.empty()) {
        for (int field = 0; field < kFieldCount; ++field) {
            const std::string key = kKeys[field];
            if (line.find(key) == std::string::npos) {
                continue;
            }
            const std::string value = line.substr(key.size());
            switch (field) {
            case kDesc: profile.desc = value; break;
            case kColors: profile.colors = value; break;
            case kName: profile.name = value; break;
            case kPassword: profile.password = value; break;
            case kSpec:
                if (line.size() < 7) {
                    break;
                }
                profile.spec1 = static_cast<signed char>(line[5]) - '0';
                profile.spec2 = static_cast<signed char>(line[6]) - '0';
                break;
            default: break;
            }
            if (field != kSpec || line.size() >= 7) {
                found[field] = true;
            }
            break;
        }
    }
    std::fclose(file);

    for (bool f : found) {
        if (!f) {
            errorLog.Write("Error: Could not load all vital data fields from player .ini: " + fileName +
                           "\n");
            return false;
        }
    }
    return true;
}

bool LoadPlayerIni(const std::string& fileName) {
    return LoadPlayerIni(fileName, g_profile);
}

const PlayerProfile& GetPlayerProfile() {
    return g_profile;
}

const bool kRegistered = RegisterProcessState(
    "player profile", [] { g_profile = PlayerProfile(); }, kDataState);
