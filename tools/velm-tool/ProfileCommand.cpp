// velm-tool profile FILE: the fields of one player profile as the client reads them.
#include <cstdio>

#include "Commands.h"
#include "data/PlayerProfile.h"

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
