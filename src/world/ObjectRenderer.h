// The object pass: two crossed upright triangles on every cell of the window that holds an object, and a
// translucent green square just above the floor on the hover cell instead.
#pragma once

#include <vector>

#include "gfx/Device.h"
#include "world/CachedTriangles.h"
#include "world/WorldView.h"

class ObjectRenderer {
public:
    ObjectRenderer();
    void draw(const WorldView& view);

private:
    static constexpr std::uint32_t kMostVertices = 31 * 31 * 6;  // a marker on every window cell

    // Lists the markers and the hover square of the window's cells that may show, in visiting order.
    void build(const WorldView& view, std::uint64_t hover);

    // The markers and the hover square share every state, so they go to the device as one triangle list,
    // kept until the camera, the window, the map or the hover cell changes.
    CachedTriangles m_objects;
    std::vector<gfx::WorldVertex> m_vertices;  // the list being built
};
