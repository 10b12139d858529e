// The object pass: object markers and the hover square over the window's cells.
#include "world/ObjectRenderer.h"

#include "data/WorldMap.h"
#include "gfx/DXG.h"

namespace {

constexpr std::uint32_t kMarkerColour = 0xFFFFCCCC;
constexpr std::uint32_t kHoverColour = 0x60CCFFCC;  // alpha 0x60: blends over the floor
constexpr float kHoverHeight = 0.1f;                // just above the floor

void AppendMarker(std::vector<gfx::WorldVertex>& out, float x, float y) {
    const std::uint32_t c = kMarkerColour;
    const gfx::WorldVertex marker[6] = {
        {x, y - 0.5f, 0.0f, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
        {x, y + 0.5f, 0.0f, 0.0f, 0.0f, -1.0f, c, 1.0f, 0.0f},
        {x, y, 0.5f, 0.0f, 0.0f, -1.0f, c, 0.0f, 1.0f},
        {x - 0.5f, y, 0.0f, 0.0f, 0.0f, -1.0f, c, 0.0f, 1.0f},
        {x + 0.5f, y, 0.0f, 0.0f, 0.0f, -1.0f, c, 1.0f, 0.0f},
        {x, y, 0.5f, 0.0f, 0.0f, -1.0f, c, 1.0f, 1.0f},
    };
    out.insert(out.end(), marker, marker + 6);
}

void AppendHoverSquare(std::vector<gfx::WorldVertex>& out, float x, float y) {
    const std::uint32_t c = kHoverColour;
    const float z = kHoverHeight, left = x - 0.5f, right = x + 0.5f, top = y - 0.5f, bottom = y + 0.5f;
    const gfx::WorldVertex square[6] = {
        {left, top, z, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
        {right, top, z, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
        {right, bottom, z, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
        {right, bottom, z, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
        {left, top, z, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
        {left, bottom, z, 0.0f, 0.0f, -1.0f, c, 0.0f, 0.0f},
    };
    out.insert(out.end(), square, square + 6);
}

}  // namespace

ObjectRenderer::ObjectRenderer() : m_objects(kMostVertices) {}

void ObjectRenderer::build(const WorldView& view, std::uint64_t hover) {
    m_vertices.clear();
    for (std::int32_t y = view.y0; y <= view.y1; ++y) {
        for (std::int32_t x = view.x0; x <= view.x1; ++x) {
            // A marker reaches height 0.5 inside its cell, the hover square 0.1.
            if (!view.contains(x, y) || !view.cellMayShow(x, y, 0.5f)) {
                continue;
            }
            // The hover cell shows its square alone, whether or not it holds an object.
            if (x == view.hoverX && y == view.hoverY) {
                AppendHoverSquare(m_vertices, float(x), float(y));
            } else if (getObject(x, y) != 0) {
                AppendMarker(m_vertices, float(x), float(y));
            }
        }
    }
    m_objects.store(m_vertices, view, hover);
}

void ObjectRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetFVF(gfx::kFvfWorld);
    const std::uint64_t hover = std::uint64_t(std::uint32_t(view.hoverX)) << 32 | std::uint32_t(view.hoverY);
    if (!m_objects.upToDate(view, hover)) {
        build(view, hover);
    }
    if (m_objects.triangles() != 0) {
        device->SetTexture(0, nullptr);
        m_objects.draw(*device);
    }
}
