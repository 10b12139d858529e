// The floor pass: one static vertex buffer holding the window's floor squares grouped by floor number,
// rebuilt only when it is marked dirty, and one draw per floor number present.
#include "world/FloorRenderer.h"

#include <algorithm>
#include <cassert>

#include "data/WorldMap.h"
#include "gfx/DXG.h"
#include "gfx/Device.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

}  // namespace

FloorRenderer::FloorRenderer() {
    m_buffer.Create(kVertexCount, gfx::kFvfWorld, sizeof(gfx::WorldVertex), false, true);
}

FloorRenderer::~FloorRenderer() {
    m_buffer.SRFree();
    m_lastCentreX = 0;
    m_lastCentreY = 0;
    m_dirty = false;
    for (DXG::Texture& slot : m_slots) {
        slot.SRFree();
    }
}

void FloorRenderer::setTextures(const std::vector<DXG::Texture>& textures) {
    for (DXG::Texture& slot : m_slots) {
        slot.SRFree();
    }
    const size_t count = std::min(textures.size(), size_t(kSlotCount));
    for (size_t i = 0; i < count; ++i) {
        m_slots[i].SRShare(textures[i].GetRecord());
    }
    // New textures come with a new map: the cells under the window are another map's now.
    m_dirty = true;
}

void FloorRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr || !m_buffer.IsAllocated()) {
        return;
    }
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);

    const ViewWindow& window = view.window;
    if (window.cx != m_lastCentreX || window.cy != m_lastCentreY) {
        m_dirty = true;
    }
    m_lastCentreX = window.cx;
    m_lastCentreY = window.cy;

    const std::int32_t x0 = view.x0, y0 = view.y0, x1 = view.x1, y1 = view.y1;
    // The window is clipped to the map, so a new map size moves its edges without moving its centre.
    if (x0 != m_builtBounds[0] || y0 != m_builtBounds[1] || x1 != m_builtBounds[2] ||
        y1 != m_builtBounds[3]) {
        m_dirty = true;
    }
    if (m_dirty && !rebuild(x0, y0, x1, y1)) {
        return;
    }

    m_buffer.SetAsStreamSource(0);
    for (int n = 0; n < kSlotCount; ++n) {
        if (m_vertexCount[n] == 0) {
            continue;
        }
        std::shared_ptr<gfx::Texture> texture = m_slots[n].GetDeviceTexture();
        if (texture == nullptr) {
            continue;
        }
        device->SetTexture(0, texture);
        device->DrawPrimitive(gfx::PrimitiveType::TriangleList, std::uint32_t(m_firstVertex[n]),
                              std::uint32_t(m_vertexCount[n] / 3));
    }
}

bool FloorRenderer::rebuild(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    m_dirty = false;
    m_builtBounds[0] = x0;
    m_builtBounds[1] = y0;
    m_builtBounds[2] = x1;
    m_builtBounds[3] = y1;

    // Counting: the squares of floor n follow those of every lower floor number. Numbers of 256 and
    // more (0xFFFF marks a cell without floor) have no slot and get no squares.
    std::fill(std::begin(m_vertexCount), std::end(m_vertexCount), 0);
    for (std::int32_t y = y0; y <= y1; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            const std::uint16_t floor = getFloor(x, y);
            if (floor < kSlotCount) {
                m_vertexCount[floor] += 6;
            }
        }
    }
    std::int32_t running = 0;
    std::int32_t writeAt[kSlotCount];
    for (int n = 0; n < kSlotCount; ++n) {
        m_firstVertex[n] = running;
        writeAt[n] = running;
        running += m_vertexCount[n];
    }
    assert(running <= std::int32_t(kVertexCount));

    DXG::VertexBufferLock lock(m_buffer);
    if (lock.data == nullptr) {
        // Nothing is drawn until the next change asks for a rebuild: the buffer does not hold what the
        // counts describe.
        std::fill(std::begin(m_vertexCount), std::end(m_vertexCount), 0);
        return false;
    }
    auto* vertices = static_cast<gfx::WorldVertex*>(lock.data);
    for (std::int32_t y = y0; y <= y1; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            const std::uint16_t floor = getFloor(x, y);
            if (floor >= kSlotCount) {
                continue;
            }
            const float left = float(x) - 0.5f, right = float(x) + 0.5f;
            const float top = float(y) - 0.5f, bottom = float(y) + 0.5f;
            const gfx::WorldVertex square[6] = {
                {left, top, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 0.0f, 0.0f},
                {right, top, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 1.0f, 0.0f},
                {left, bottom, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 0.0f, 1.0f},
                {right, top, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 1.0f, 0.0f},
                {left, bottom, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 0.0f, 1.0f},
                {right, bottom, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 1.0f, 1.0f},
            };
            std::copy(square, square + 6, vertices + writeAt[floor]);
            writeAt[floor] += 6;
        }
    }
    return true;
}
