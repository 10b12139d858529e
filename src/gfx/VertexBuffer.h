// DXG::VertexBuffer: a handle to a shared device vertex buffer with a fixed vertex layout, stride and count,
// filled through the scoped DXG::VertexBufferLock. Misuse of a handle without a buffer is reported.
#pragma once

#include <cstdint>
#include <memory>

#include "data/SharedResource.h"
#include "gfx/Device.h"

namespace DXG {

struct VertexBufferPayload {
    uint32_t count = 0;       // vertices
    uint32_t layoutCode = 0;  // flexible vertex format
    uint32_t stride = 0;      // bytes per vertex
    bool dynamic = false;     // created for frequent rewriting (default pool, locks discard)
    bool writeOnly = false;
    std::shared_ptr<gfx::VertexBuffer> deviceBuffer;
};

class VertexBuffer : public SharedResource<VertexBufferPayload> {
public:
    VertexBuffer() = default;
    ~VertexBuffer() override;

    bool Create(uint32_t count, uint32_t layoutCode, uint32_t stride, bool dynamic, bool writeOnly);

    // The device buffer; null with a warning when the handle holds none.
    std::shared_ptr<gfx::VertexBuffer> GetBuffer() const;
    // Binds the buffer to the stream with its stride and sets its layout code as the vertex format.
    gfx::Result SetAsStreamSource(uint32_t stream) const;
    bool IsAllocated() const { return m_record != nullptr && m_record->payload.deviceBuffer != nullptr; }

    uint32_t GetCount() const { return m_record ? m_record->payload.count : 0; }
    uint32_t GetStride() const { return m_record ? m_record->payload.stride : 0; }

protected:
    void FreePayload() override;
};

// Locks the whole buffer while it lives. data is null when the handle holds no buffer or the lock failed.
class VertexBufferLock {
public:
    explicit VertexBufferLock(const VertexBuffer& buffer);
    virtual ~VertexBufferLock();
    VertexBufferLock(const VertexBufferLock&) = delete;
    VertexBufferLock& operator=(const VertexBufferLock&) = delete;

    void* data = nullptr;

private:
    const VertexBuffer& m_buffer;
};

}  // namespace DXG
