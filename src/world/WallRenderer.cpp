// The wall pass.
#include "world/WallRenderer.h"

WallRenderer::WallRenderer() {
    m_texture.Load("data\\walls\\stone1.bmp", DXG::FROM_FILE, true, true);
}

void WallRenderer::draw() {}
