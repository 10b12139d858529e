// A pass's triangle list kept in a static vertex buffer: built and sent to the device only when what it
// was built from changed, then drawn from the buffer frame after frame.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Device.h"
#include "gfx/VertexBuffer.h"
#include "world/WorldView.h"

class CachedTriangles {
public:
    // Room for capacity vertices.
    explicit CachedTriangles(std::uint32_t capacity);
    ~CachedTriangles();
    CachedTriangles(const CachedTriangles&) = delete;
    CachedTriangles& operator=(const CachedTriangles&) = delete;

    // The list was built for this camera over this revision of the map, with the same extra value (what
    // else the pass builds from), and it is in the buffer.
    bool upToDate(const WorldView& view, std::uint64_t extra) const;
    // Sends the list to the buffer and remembers what it was built from; on a failed lock nothing is
    // drawn, and the next frame builds again.
    void store(const std::vector<gfx::WorldVertex>& vertices, const WorldView& view, std::uint64_t extra);
    std::uint32_t triangles() const { return m_vertexCount / 3; }
    // Binds the buffer as the stream source and draws every triangle of the list.
    void draw(gfx::Device& device) const;

private:
    DXG::VertexBuffer m_buffer;
    std::uint32_t m_vertexCount = 0;
    bool m_stored = false;
    WorldView m_view;
    std::uint64_t m_revision = 0;
    std::uint64_t m_extra = 0;
};
