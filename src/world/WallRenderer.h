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

    // Builds the frame's walls and, where the picture allows it, draws their depths alone: called before
    // the floors, so that floor hidden behind walls is never textured.
    void drawDepth(const WorldView& view);
    // Draws the walls drawDepth built: textured at their own depths after a depth pass, else in one pass.
    void draw();

private:
    DXG::Texture m_texture;
    // The frame's walls, built anew every frame. Every wall is drawn with the same states, so the frame's
    // walls go to the device as one triangle list, in the order the cells are visited.
    std::vector<gfx::WorldVertex> m_vertices;
    bool m_depthDrawn = false;  // this frame's walls are already in the depth buffer
};
