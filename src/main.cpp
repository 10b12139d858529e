// The entry point: composes the layers and runs the client, starting with the profile chooser.
#include <cstdio>
#include <string>

#include "app/MainGame.h"
#include "app/WindowOptions.h"
#include "client/CChooseINI.h"
#include "runtime/MemoryTracker.h"

namespace {

Scene* MakeFirstScene() {
    return track(new CChooseINI(), "FIRST_SCENE", VELM_SITE);
}

// --window WxH and --fullscreen; false (with the reason on stderr) for a malformed size.
bool ReadWindowOptions(int argc, char** argv, WindowOptions* options) {
    std::string error;
    if (ParseWindowOptions(argc, argv, options, &error)) return true;
    std::fprintf(stderr, "velmview: %s\n", error.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    WindowOptions window;
    if (!ReadWindowOptions(argc, argv, &window)) return 1;
    return MainGame(MakeFirstScene, window);
}
