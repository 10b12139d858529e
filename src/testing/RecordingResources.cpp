// Textures, surfaces and vertex buffers of the recording driver.
#include "testing/RecordingResources.h"

#include <algorithm>

namespace gfx {

RecordingSurface::RecordingSurface(std::shared_ptr<RecordingTexture> texture, uint32_t level)
    : LevelSurface(std::move(texture), level) {}

RecordingSurface::RecordingSurface(uint32_t width, uint32_t height, Format format)
    : LevelSurface(width, height, format), m_own(size_t(width) * height * 4, 0) {}

uint8_t* RecordingSurface::Bytes(uint32_t* pitch) {
    if (MemoryTexture* texture = memoryTexture()) {
        *pitch = texture->LevelPitchOf(level());
        return texture->LevelBytes(level());
    }
    *pitch = GetDesc().width * 4;
    return m_own.data();
}

std::shared_ptr<Surface> RecordingTexture::GetSurfaceLevel(uint32_t level) {
    if (level >= GetLevelCount()) return nullptr;
    return std::make_shared<RecordingSurface>(shared_from_this(), level);
}

void RecordingVertexBuffer::Discarded(std::vector<uint8_t>& bytes) {
    std::fill(bytes.begin(), bytes.end(), uint8_t(0xCD));
}

}  // namespace gfx
