// The idle test scene: a cleared frame and nothing else.
#include "app/IdleScene.h"

#include "gfx/DXG.h"

void IdleScene::Update(float) {}

void IdleScene::Render() {
    DXG::ScopedLock lock;
    DXG::Clear(0xFF203040, true, true);
}
