// The profile scan: list "*.ini", drop the host game's settings files, keep what loads as complete.
#include "data/ProfileList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "data/PlayerProfile.h"
#include "platform/NativePath.h"

namespace {
constexpr const char* kExcludedNames[] = {"options.ini",   "audiolist.ini", "ranklevels.ini", "audlist.ini",
                                          "ScrDesign.ini", "scrlist2.ini",  "scrlist.ini",    "toolset.ini"};

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The wildcard "*.ini" as the directory listing applies it: the extension without regard to case.
bool HasIniExtension(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    const std::string tail = name.substr(name.size() - 4);
    return tail[0] == '.' && Upper(tail[1]) == 'I' && Upper(tail[2]) == 'N' && Upper(tail[3]) == 'I';
}

// Name order ignoring letter case, with the exact bytes breaking ties, so the order is the same on
// every file system.
bool ListingOrder(const std::string& a, const std::string& b) {
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](char x, char y) { return Upper(x) < Upper(y); });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                      [](char x, char y) { return Upper(x) < Upper(y); });
    return less || (!greater && a < b);
}
}  // namespace

bool IsExcludedProfileName(const std::string& fileName) {
    for (const char* excluded : kExcludedNames) {
        if (fileName == excluded) {
            return true;
        }
    }
    return false;
}

std::vector<ProfileEntry> FindProfiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    const std::string native = folder.empty() ? std::string(".") : NativePath(folder);
    for (fs::directory_iterator it(native, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) {
            continue;
        }
        std::string name = it->path().filename().string();
        if (HasIniExtension(name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), ListingOrder);

    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '\\' && prefix.back() != '/') {
        prefix += '\\';
    }
    std::vector<ProfileEntry> entries;
    for (const std::string& name : names) {
        if (IsExcludedProfileName(name)) {
            continue;
        }
        if (LoadPlayerIni(prefix + name)) {
            entries.push_back({name, GetPlayerProfile().name});
        }
    }
    return entries;
}

std::vector<std::string> FindProfileFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (ProfileEntry& entry : FindProfiles(folder)) {
        files.push_back(std::move(entry.fileName));
    }
    return files;
}
