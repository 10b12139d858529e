// The wall pass: a textured upright unit square on each lower cell edge whose wall byte is set, for the
// cells of the window.
#pragma once

#include <vector>

#include "gfx/Device.h"
#include "gfx/Texture.h"
#include "world/WorldView.h"

class WallRenderer {
public:
    // Loads "data\walls\stone1.bmp"; walls are drawn untextured when that fails.
    WallRenderer();
    ~WallRenderer();
    WallRenderer(const WallRenderer&) = delete;
    WallRenderer& operator=(const WallRenderer&) = delete;

    void draw(const WorldView& view);

private:
    DXG::Texture m_texture;
    // The frame's walls, built anew every frame. Every wall is drawn with the same states, so the frame's
    // walls go to the device as one triangle list, in the order the cells are visited.
    std::vector<gfx::WorldVertex> m_vertices;
};
