// velm-tool base95 TEXT: the number. velm-tool avatar COLOURCODE FRAMECODE: the decoded record.
#include <cstdio>

#include "Commands.h"
#include "data/AvatarCode.h"

int Base95Command(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velm-tool base95 TEXT\n");
        return 2;
    }
    std::printf("%d\n", decodeBase95(args[0]));
    return 0;
}

int AvatarCommand(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: velm-tool avatar COLOURCODE FRAMECODE\n");
        return 2;
    }
    AvatarAppearance record;
    decodeAvatarAppearance(args[0], args[1], record);
    std::printf("colors:");
    for (std::int8_t c : record.colors) {
        std::printf(" %d", c);
    }
    std::printf("\nframe: %d\ngroup: %d\nvariant: %d\npose: %d\ndirection: %d\n", decodeBase95(args[1]),
                record.group, record.variant, record.pose, record.direction);
    return 0;
}
