// The entry point: composes the layers and runs the client, starting with the profile chooser (or, for a
// replay, straight in the main scene).
#include "app/MainGame.h"
#include "client/CChooseINI.h"
#include "client/CMain.h"
#include "client/SessionOptions.h"
#include "client/SessionReplay.h"
#include "runtime/MemoryTracker.h"

namespace {

Scene* MakeFirstScene() {
    if (IsReplaying()) return track(new CMain(), "FIRST_SCENE", VELM_SITE);
    return track(new CChooseINI(), "FIRST_SCENE", VELM_SITE);
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = PrepareSession(argc, argv); status >= 0) return status;
    const int status = MainGame(MakeFirstScene);
    EndSession();
    return status;
}
