// The wall pass: a textured upright unit square on each lower cell edge whose wall byte is set, for the
// cells of the window.
#pragma once

#include "gfx/Texture.h"

class WallRenderer {
public:
    // Loads "data\walls\stone1.bmp"; walls are drawn untextured when that fails.
    WallRenderer();
    ~WallRenderer() = default;
    WallRenderer(const WallRenderer&) = delete;
    WallRenderer& operator=(const WallRenderer&) = delete;

    void draw();

private:
    DXG::Texture m_texture;
};
