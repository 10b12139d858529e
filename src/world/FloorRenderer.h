// The floor pass: the floor tile of every cell in the window as a textured unit square at height 0, built
// into one vertex buffer grouped by floor number and rebuilt only when the window moves or a visible
// floor changes; each frame then costs one draw per floor number present.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Texture.h"
#include "gfx/VertexBuffer.h"
#include "world/FloorTextures.h"
#include "world/WorldView.h"

class FloorRenderer {
public:
    static constexpr int kSlotCount = kFloorSlotCount;
    static constexpr std::uint32_t kVertexCount = 31 * 31 * 6;  // two triangles for every cell of a window

    FloorRenderer();
    ~FloorRenderer();
    FloorRenderer(const FloorRenderer&) = delete;
    FloorRenderer& operator=(const FloorRenderer&) = delete;

    // Releases all slots, then shares texture i of the list into slot i (the first 256 only). Textures come
    // with a new map, so the geometry is rebuilt at the next draw.
    void setTextures(const std::vector<DXG::Texture>& textures);
    // A floor in the window changed: the geometry is rebuilt at the next draw.
    void cellChanged() { m_dirty = true; }
    // The floors replace what they cover by depth alone in the device's current states: every floor
    // texture has no alpha, and the depth and blending states are the usual ones.
    bool opaque(const gfx::Device& device) const;
    void draw(const WorldView& view);

private:
    // Fills the buffer with the window's cells that may show; false when the buffer cannot be locked.
    bool rebuild(const WorldView& view);

    DXG::Texture m_slots[kSlotCount];  // slot n: the texture of floor number n
    DXG::VertexBuffer m_buffer;        // kVertexCount world vertices, static, write-only
    WorldView m_builtView;             // the camera and window the buffer was built for
    bool m_dirty = true;
    bool m_opaqueTextures = true;                 // no slot's texture has alpha
    std::int32_t m_firstVertex[kSlotCount] = {};  // per floor number, its first vertex in the buffer
    std::int32_t m_vertexCount[kSlotCount] = {};  // per floor number, 6 per cell
};
