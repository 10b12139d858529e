// Lock bookkeeping of memory-backed vertex buffers.
#include "gfx/MemoryVertexBuffer.h"

namespace gfx {

Result MemoryVertexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    if (!data || m_locked || offset > m_bytes.size()) return Result::InvalidCall;
    if (size == 0) size = uint32_t(m_bytes.size()) - offset;
    if (size > m_bytes.size() - offset) return Result::InvalidCall;
    if (const Result refusal = LockRefusal(); refusal != Result::Ok) return refusal;
    if (flags & kLockDiscard) Discarded(m_bytes);
    m_locked = true;
    m_lockOffset = offset;
    m_lockSize = size;
    *data = m_bytes.data() + offset;
    return Result::Ok;
}

Result MemoryVertexBuffer::Unlock() {
    if (!m_locked) return Result::InvalidCall;
    m_locked = false;
    RangeUnlocked(m_lockOffset, m_lockSize);
    return Result::Ok;
}

}  // namespace gfx
