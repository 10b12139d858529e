// The avatar pass: one flat triangle at height 0.3 per avatar in the window, pointing in its direction,
// the tip in its vest colour and the rear corners in its translucent fur colour.
#pragma once

#include <vector>

#include "gfx/Device.h"
#include "world/WorldView.h"

class CharacterRenderer {
public:
    void draw(const WorldView& view);

private:
    // The frame's triangles, built anew every frame. They share every state, so they go to the device as
    // one triangle list in the order of the character list.
    std::vector<gfx::WorldVertex> m_vertices;
};
