// Surfaces over texture levels and the back buffer.
#include "gfx/LevelSurface.h"

namespace gfx {

SurfaceDesc LevelSurface::GetDesc() const {
    return m_texture ? m_texture->GetLevelDesc(m_level) : m_desc;
}

Result LevelSurface::LockRect(LockedRect* out, uint32_t flags) {
    // The back buffer lives on the device only and is not lockable.
    return m_texture ? m_texture->LockRect(m_level, out, flags) : Result::InvalidCall;
}

Result LevelSurface::UnlockRect() {
    return m_texture ? m_texture->UnlockRect(m_level) : Result::InvalidCall;
}

}  // namespace gfx
