// Level storage and lock bookkeeping of memory-backed textures.
#include "gfx/MemoryTexture.h"

#include <algorithm>

namespace gfx {

MemoryTexture::MemoryTexture(LedgerRef ledger, uint32_t width, uint32_t height, uint32_t levels,
                             uint32_t usage, Format format, Pool pool)
    : m_ledger(std::move(ledger)) {
    for (uint32_t i = 0; i < levels; ++i) {
        Level l;
        l.desc = {format, usage, pool, std::max(1u, width >> i), std::max(1u, height >> i)};
        l.pitch = LevelPitch(format, l.desc.width);
        l.bytes.assign(size_t(l.pitch) * LevelRows(format, l.desc.height), 0);
        m_totalBytes += l.bytes.size();
        m_levels.push_back(std::move(l));
    }
    m_ledger->liveBytes += m_totalBytes;
}

MemoryTexture::~MemoryTexture() {
    m_ledger->liveBytes -= m_totalBytes;
}

SurfaceDesc MemoryTexture::GetLevelDesc(uint32_t level) const {
    return level < m_levels.size() ? m_levels[level].desc : SurfaceDesc{};
}

Result MemoryTexture::LockRect(uint32_t level, LockedRect* out, uint32_t flags) {
    if (!out || level >= m_levels.size()) return Result::InvalidCall;
    Level& l = m_levels[level];
    if ((l.desc.usage & kUsageRenderTarget) || l.locked) return Result::InvalidCall;
    if (const Result refusal = LockRefusal(); refusal != Result::Ok) return refusal;
    l.locked = true;
    l.readOnly = (flags & kLockReadOnly) != 0;
    out->pitch = int32_t(l.pitch);
    out->bits = l.bytes.data();
    return Result::Ok;
}

Result MemoryTexture::UnlockRect(uint32_t level) {
    if (level >= m_levels.size() || !m_levels[level].locked) return Result::InvalidCall;
    m_levels[level].locked = false;
    LevelUnlocked(level, !m_levels[level].readOnly);
    return Result::Ok;
}

}  // namespace gfx
