// The vertex buffer manager: creation with usage and pool from the dynamic flag, locking, stream binding.
#include "gfx/VertexBuffer.h"

#include "gfx/DXG.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace DXG {
namespace {

bool handlerRegistered = false;  // the device-lost handler, registered by the first load or creation
// The foundation forgets its handlers when it is reset; the next load or creation registers again.
const bool kRegistered = RegisterProcessState(
    "vertex buffers", [] { handlerRegistered = false; }, kGfxState);

// Buffers in the default pool are not re-created after a loss; the log says so at every loss.
void HandleDeviceLost() {
    errorLog.Write("Vertex Buffer Manager: handling device lost not done yet...\n");
}

}  // namespace

VertexBuffer::~VertexBuffer() {
    SRFree();
}

void VertexBuffer::FreePayload() {
    m_record->payload.deviceBuffer.reset();
}

bool VertexBuffer::Create(uint32_t count, uint32_t layoutCode, uint32_t stride, bool dynamic,
                          bool writeOnly) {
    if (!handlerRegistered) {
        handlerRegistered = true;
        AddDeviceLostHandler(HandleDeviceLost);
    }
    SRFree();
    uint32_t usage = (dynamic ? gfx::kUsageDynamic : 0u) | (writeOnly ? gfx::kUsageWriteOnly : 0u);
    gfx::Pool pool = dynamic ? gfx::Pool::Default : gfx::Pool::Managed;
    std::shared_ptr<gfx::VertexBuffer> buffer;
    gfx::Result result = gfx::Result::Fail;
    uint64_t bytes = uint64_t(count) * stride;
    gfx::Device* device = IsReady() ? GetDevice() : nullptr;
    if (device != nullptr && bytes <= UINT32_MAX) {
        result = device->CreateVertexBuffer(uint32_t(bytes), usage, layoutCode, pool, &buffer);
    } else if (bytes > UINT32_MAX) {
        result = gfx::Result::OutOfMemory;
    }
    if (!gfx::Succeeded(result)) {
        std::string message = "Failed to create vertex buffer";
        if (result == gfx::Result::OutOfVideoMemory) message += " (out of video memory)";
        if (result == gfx::Result::OutOfMemory) message += " (not enough system memory)";
        ReportMisuse(message + "\n", kCallMadeFrom);
        return false;
    }
    SRAlloc();
    VertexBufferPayload& payload = m_record->payload;
    payload.deviceBuffer = std::move(buffer);
    payload.dynamic = dynamic;
    payload.layoutCode = layoutCode;
    payload.count = count;
    payload.stride = stride;
    payload.writeOnly = writeOnly;
    SampleFreeTextureMemory();
    return true;
}

std::shared_ptr<gfx::VertexBuffer> VertexBuffer::GetBuffer() const {
    if (!IsAllocated()) {
        ReportMisuse("Warning: attempt to access a non-allocated vertex buffer.\n", kCallMadeFrom);
        return nullptr;
    }
    return m_record->payload.deviceBuffer;
}

gfx::Result VertexBuffer::SetAsStreamSource(uint32_t stream) const {
    if (!IsAllocated()) {
        ReportMisuse("Warning: attempt to set a non-allocated vertex buffer as a stream source.\n",
                     kCallMadeFrom);
        return gfx::Result::InvalidCall;
    }
    gfx::Device* device = GetDevice();
    if (device == nullptr) return gfx::Result::InvalidCall;
    device->SetStreamSource(stream, m_record->payload.deviceBuffer, 0, m_record->payload.stride);
    device->SetFVF(m_record->payload.layoutCode);
    return gfx::Result::Ok;
}

VertexBufferLock::VertexBufferLock(const VertexBuffer& buffer) : m_buffer(buffer) {
    if (!buffer.IsAllocated()) {
        ReportMisuse("Warning: attempt to lock a non-allocated vertex buffer.\n", kCallMadeFrom);
        return;
    }
    const VertexBufferPayload& payload = buffer.GetRecord()->payload;
    void* locked = nullptr;
    if (gfx::Succeeded(payload.deviceBuffer->Lock(0, 0, &locked,
                                                  payload.dynamic ? gfx::kLockDiscard : gfx::kLockNone))) {
        data = locked;
    }
}

VertexBufferLock::~VertexBufferLock() {
    if (data != nullptr) {
        m_buffer.GetRecord()->payload.deviceBuffer->Unlock();
        data = nullptr;
    }
}

}  // namespace DXG
