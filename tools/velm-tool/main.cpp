// velm-tool: inspects the game's data files with the client's own readers, and fetches dreams.
// Problems go to _error.txt in the working directory, as in the client; they are also echoed to stderr.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Commands.h"
#include "FetchDream.h"
#include "runtime/LogFile.h"

namespace {
struct Command {
    const char* name;
    const char* usage;
    int (*run)(const std::vector<std::string>& args);
};

constexpr Command kCommands[] = {
    {"profile", "profile FILE", ProfileCommand},
    {"profiles", "profiles [DIR]", ProfilesCommand},
    {"pcx", "pcx FILE", PcxCommand},
    {"colors", "colors DIR", ColorsCommand},
    {"spk", "spk FILE [N]", SpkCommand},
    {"map", "map FILE [--cells]", MapCommand},
    {"base95", "base95 TEXT", Base95Command},
    {"avatar", "avatar COLOURCODE FRAMECODE", AvatarCommand},
    {"fetch-dream", "fetch-dream ID [--profile FILE]", FetchDreamCommand},
};

void PrintUsage() {
    std::fprintf(stderr, "usage: velm-tool COMMAND ARGS...\n");
    for (const Command& command : kCommands) {
        std::fprintf(stderr, "  velm-tool %s\n", command.usage);
    }
}

// What this run wrote to _error.txt (the log was emptied at start).
void EchoErrorLog() {
    std::FILE* file = std::fopen(errorLog.FileName(), "rb");
    if (file == nullptr) {
        return;
    }
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        std::fwrite(buffer, 1, count, stderr);
    }
    std::fclose(file);
}
}  // namespace

std::uintmax_t ErrorLogSize() {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(errorLog.FileName(), error);
    return error ? 0 : size;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            const int status = command.run(args);
            std::fflush(stdout);
            EchoErrorLog();
            return status;
        }
    }
    PrintUsage();
    return 2;
}
