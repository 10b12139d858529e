// The entry point: composes the layers and runs the client.
#include <cstdlib>
#include <cstring>

#include "app/IdleScene.h"
#include "app/MainGame.h"
#include "runtime/MemoryTracker.h"

namespace {

// The end-to-end tests ask for a plain scene that keeps the window open (VELMVIEW_TEST_IDLE_SCENE=1).
Scene* MakeFirstScene() {
    const char* idle = std::getenv("VELMVIEW_TEST_IDLE_SCENE");
    if (idle && std::strcmp(idle, "1") == 0) return track(new IdleScene(), "FIRST_SCENE", VELM_SITE);
    return nullptr;
}

}  // namespace

int main() {
    return MainGame(MakeFirstScene);
}
