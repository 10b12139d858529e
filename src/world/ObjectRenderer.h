// The object pass: two crossed upright triangles on every cell of the window that holds an object, and a
// translucent green square just above the floor on the hover cell instead.
#pragma once

#include <vector>

#include "gfx/Device.h"
#include "world/WorldView.h"

class ObjectRenderer {
public:
    void draw(const WorldView& view);

private:
    // The frame's markers and hover square, built anew every frame. They share every state, so they go
    // to the device as one triangle list in the order the cells are visited.
    std::vector<gfx::WorldVertex> m_vertices;
};
