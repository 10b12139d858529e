// velm-tool profile FILE: the fields of one player profile as the client reads them.
// velm-tool profiles [DIR]: the profiles the client's chooser would offer, in its order.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Commands.h"
#include "data/PlayerProfile.h"
#include "data/ProfileList.h"
#include "platform/NativePath.h"

int ProfileCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velm-tool profile FILE\n");
        return 2;
    }
    PlayerProfile profile;
    const bool complete = LoadPlayerIni(args[0], profile);
    std::printf("name: %s\n", profile.name.c_str());
    std::printf("password: %s\n", profile.password.c_str());
    std::printf("colors: %s\n", profile.colors.c_str());
    std::printf("desc: %s\n", profile.desc.c_str());
    std::printf("spec1: %d\n", profile.spec1);
    std::printf("spec2: %d\n", profile.spec2);
    std::printf("complete: %s\n", complete ? "yes" : "no");
    return complete ? 0 : 1;
}

int ProfilesCommand(const std::vector<std::string>& args) {
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: velm-tool profiles [DIR]\n");
        return 2;
    }
    const std::string folder = args.empty() ? std::string() : args[0];
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(NativePath(folder), error)) {
        std::fprintf(stderr, "velm-tool: no folder \"%s\" to look for profiles in\n", folder.c_str());
        return 1;
    }
    for (const ProfileEntry& entry : FindProfiles(folder)) {
        std::printf("%s (%s)\n", entry.name.c_str(), entry.fileName.c_str());
    }
    return 0;
}
