// Placeholder until the download client exists.
#include "FetchDream.h"

#include <cstdio>

int FetchDreamCommand(const std::vector<std::string>&) {
    std::fprintf(stderr, "fetch-dream: not built yet\n");
    return 2;
}
