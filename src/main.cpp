// The entry point: composes the layers and runs the client, starting with the profile chooser.
#include "app/MainGame.h"
#include "client/CChooseINI.h"
#include "runtime/MemoryTracker.h"

namespace {

Scene* MakeFirstScene() {
    return track(new CChooseINI(), "FIRST_SCENE", VELM_SITE);
}

}  // namespace

int main() {
    return MainGame(MakeFirstScene);
}
