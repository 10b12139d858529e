// The wall pass: a textured upright unit square on each lower cell edge whose wall byte is set, for the
// cells of the window.
#pragma once

#include <vector>

#include "gfx/Device.h"
#include "gfx/Texture.h"
#include "world/CachedTriangles.h"
#include "world/WorldView.h"

class WallRenderer {
public:
    // Loads "data\walls\stone1.bmp"; walls are drawn untextured when that fails.
    WallRenderer();
    ~WallRenderer();
    WallRenderer(const WallRenderer&) = delete;
    WallRenderer& operator=(const WallRenderer&) = delete;

    // The walls replace what they cover by depth alone in the device's current states (an opaque wall
    // texture, the usual depth and blending states): they are then drawn depth first.
    bool opaque(const gfx::Device& device) const;
    void draw(const WorldView& view);

private:
    static constexpr std::uint32_t kMostVertices = 31 * 31 * 2 * 6;  // both walls of every window cell

    // Lists the walls of the window's cells that may show, in the order the cells are visited.
    void build(const WorldView& view);

    DXG::Texture m_texture;
    // Every wall is drawn with the same states, so the walls go to the device as one triangle list, kept
    // until the camera, the window or the map changes.
    CachedTriangles m_walls;
    std::vector<gfx::WorldVertex> m_vertices;  // the list being built
};
