// A pass's triangle list in a static vertex buffer, rebuilt only when its sources change.
#include "world/CachedTriangles.h"

#include <algorithm>
#include <cassert>

#include "data/WorldMap.h"

CachedTriangles::CachedTriangles(std::uint32_t capacity) {
    m_buffer.Create(capacity, gfx::kFvfWorld, sizeof(gfx::WorldVertex), false, true);
}

CachedTriangles::~CachedTriangles() {
    m_buffer.SRFree();
}

bool CachedTriangles::upToDate(const WorldView& view, std::uint64_t extra) const {
    return m_stored && m_revision == CurrentMap().revision() && m_extra == extra && m_view.sameCamera(view);
}

void CachedTriangles::store(const std::vector<gfx::WorldVertex>& vertices, const WorldView& view,
                            std::uint64_t extra) {
    m_stored = false;
    m_vertexCount = 0;
    if (vertices.empty()) {
        m_stored = true;
    } else if (m_buffer.IsAllocated()) {
        assert(vertices.size() <= m_buffer.GetCount());
        DXG::VertexBufferLock lock(m_buffer);
        if (lock.data != nullptr) {
            std::copy(vertices.begin(), vertices.end(), static_cast<gfx::WorldVertex*>(lock.data));
            m_vertexCount = std::uint32_t(vertices.size());
            m_stored = true;
        }
    }
    m_view = view;
    m_revision = CurrentMap().revision();
    m_extra = extra;
}

void CachedTriangles::draw(gfx::Device& device) const {
    if (m_vertexCount == 0) return;
    m_buffer.SetAsStreamSource(0);
    device.DrawPrimitive(gfx::PrimitiveType::TriangleList, 0, triangles());
}
