// The floor pass: one vertex buffer of the window's floor squares grouped by floor number.
#include "world/FloorRenderer.h"

#include "gfx/Device.h"
#include "world/VelmRenderer.h"

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
    for (size_t i = 0; i < textures.size() && i < size_t(kSlotCount); ++i) {
        m_slots[i].SRShare(textures[i].GetRecord());
    }
}

bool FloorRenderer::cellChanged(std::int32_t gx, std::int32_t gy) {
    if (!isCellVisible(gx, gy)) {
        return false;
    }
    m_dirty = true;
    return true;
}

void FloorRenderer::draw() {}

void FloorRenderer::rebuild(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
