// The entry point: composes the layers and runs the client, starting with the profile chooser (or, for a
// replay, straight in the main scene).
#include <cstdio>
#include <cstring>
#include <string>

#include "app/MainGame.h"
#include "app/WindowOptions.h"
#include "client/CChooseINI.h"
#include "client/CMain.h"
#include "client/SessionOptions.h"
#include "client/SessionReplay.h"
#include "runtime/MemoryTracker.h"

namespace {

constexpr const char* kUsage =
    "usage: velmview [--window WxH] [--fullscreen] [--record FILE | --replay FILE [--speed X]]";

Scene* MakeFirstScene() {
    if (IsReplaying()) return track(new CMain(), "FIRST_SCENE", VELM_SITE);
    return track(new CChooseINI(), "FIRST_SCENE", VELM_SITE);
}

// The first argument that no option reader takes, or null. Options with a value skip it.
const char* UnknownArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--fullscreen") == 0 || std::strncmp(arg, "--window=", 9) == 0) continue;
        for (const char* withValue : {"--window", "--record", "--replay", "--speed"}) {
            if (std::strcmp(arg, withValue) == 0) {
                ++i;
                arg = nullptr;
                break;
            }
        }
        if (arg != nullptr) return arg;
    }
    return nullptr;
}

// --window WxH and --fullscreen; false (with the reason on stderr) for a malformed size.
bool ReadWindowOptions(int argc, char** argv, WindowOptions* options) {
    std::string error;
    if (ParseWindowOptions(argc, argv, options, &error)) return true;
    std::fprintf(stderr, "velmview: %s\n%s\n", error.c_str(), kUsage);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* unknown = UnknownArgument(argc, argv)) {
        std::fprintf(stderr, "velmview: unknown argument \"%s\"\n%s\n", unknown, kUsage);
        return 2;
    }
    WindowOptions window;
    if (!ReadWindowOptions(argc, argv, &window)) return 2;
    if (const int status = PrepareSession(argc, argv); status >= 0) return status;
    const int status = MainGame(MakeFirstScene, window);
    EndSession();
    return status;
}
