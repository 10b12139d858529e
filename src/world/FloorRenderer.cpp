// The floor pass: one static vertex buffer holding the window's floor squares grouped by floor number,
// rebuilt only when it is marked dirty, and one draw per floor number present.
#include "world/FloorRenderer.h"

#include <algorithm>
#include <cassert>

#include "data/WorldMap.h"
#include "gfx/DXG.h"
#include "gfx/Device.h"
#include "world/OpaquePieces.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

}  // namespace

FloorRenderer::FloorRenderer() {
    m_buffer.Create(kVertexCount, gfx::kFvfWorld, sizeof(gfx::WorldVertex), false, true);
}

FloorRenderer::~FloorRenderer() {
    m_buffer.SRFree();
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
    m_opaqueTextures = true;
    for (size_t i = 0; i < count; ++i) {
        m_slots[i].SRShare(textures[i].GetRecord());
        const std::shared_ptr<gfx::Texture> texture = m_slots[i].GetDeviceTexture();
        m_opaqueTextures = m_opaqueTextures && (!texture || OpaqueFormat(texture->GetLevelDesc(0).format));
    }
    // New textures come with a new map: the cells under the window are another map's now.
    m_dirty = true;
}

bool FloorRenderer::opaque(const gfx::Device& device) const {
    return m_opaqueTextures && StatesReplaceByDepth(device);
}

void FloorRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr || !m_buffer.IsAllocated()) {
        return;
    }
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);

    // A turn or a step of the camera shows other cells; so does a new map size, which moves the clipped
    // window's edges without moving its centre.
    if (!m_builtView.sameCamera(view)) {
        m_dirty = true;
    }
    if (m_dirty && !rebuild(view)) {
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

bool FloorRenderer::rebuild(const WorldView& view) {
    m_dirty = false;
    m_builtView = view;
    const std::int32_t x0 = view.x0, y0 = view.y0, x1 = view.x1, y1 = view.y1;
    // A cell's floor lies flat in its box: cells whose box is wholly outside the view get no squares.
    auto drawn = [&view](std::int32_t x, std::int32_t y) {
        return getFloor(x, y) < kSlotCount && view.cellMayShow(x, y, 0.0f);
    };

    // Counting: the squares of floor n follow those of every lower floor number. Numbers of 256 and
    // more (0xFFFF marks a cell without floor) have no slot and get no squares.
    std::fill(std::begin(m_vertexCount), std::end(m_vertexCount), 0);
    for (std::int32_t y = y0; y <= y1; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            if (drawn(x, y)) {
                m_vertexCount[getFloor(x, y)] += 6;
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
            if (!drawn(x, y)) {
                continue;
            }
            const std::uint16_t floor = getFloor(x, y);
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
