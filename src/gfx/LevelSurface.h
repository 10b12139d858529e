// A surface that is one level of a memory-backed texture, or the device's back buffer. The lock rules of
// surfaces live here once for every driver: a level locks through its texture, the back buffer never.
#pragma once

#include <memory>

#include "gfx/MemoryTexture.h"

namespace gfx {

class LevelSurface : public Surface {
public:
    LevelSurface(std::shared_ptr<MemoryTexture> texture, uint32_t level)
        : m_texture(std::move(texture)), m_level(level) {}
    // The back buffer: a render target of the size and format.
    LevelSurface(uint32_t width, uint32_t height, Format format)
        : m_desc{format, kUsageRenderTarget, Pool::Default, width, height} {}

    SurfaceDesc GetDesc() const override;
    Result LockRect(LockedRect* out, uint32_t flags) override;
    Result UnlockRect() override;

    MemoryTexture* memoryTexture() const { return m_texture.get(); }  // null: the back buffer
    uint32_t level() const { return m_level; }

private:
    std::shared_ptr<MemoryTexture> m_texture;
    uint32_t m_level = 0;
    SurfaceDesc m_desc;  // the back buffer's
};

}  // namespace gfx
