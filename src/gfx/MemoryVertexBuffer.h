// A vertex buffer whose bytes are kept in memory: the lock rules both drivers share. The OpenGL driver
// sends the locked range to its buffer at unlock; the recording driver keeps only the bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Device.h"
#include "gfx/ResourceLedger.h"

namespace gfx {

class MemoryVertexBuffer : public VertexBuffer {
public:
    // Counts its bytes in the ledger of the device that made it for as long as it lives.
    MemoryVertexBuffer(LedgerRef ledger, uint32_t length, uint32_t usage, uint32_t fvf, Pool pool)
        : m_ledger(std::move(ledger)), m_bytes(length, 0), m_usage(usage), m_fvf(fvf), m_pool(pool) {
        m_ledger->liveBytes += length;
    }
    ~MemoryVertexBuffer() override { m_ledger->liveBytes -= m_bytes.size(); }

    uint32_t GetLength() const override { return uint32_t(m_bytes.size()); }
    uint32_t GetUsage() const override { return m_usage; }
    uint32_t GetFvf() const override { return m_fvf; }
    Pool GetPool() const override { return m_pool; }
    // One lock at a time, inside the buffer; size 0 locks to the end.
    Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    Result Unlock() override;

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    // The ledger of the device that made it.
    const ResourceLedger* Ledger() const { return m_ledger.get(); }

protected:
    // A lock the driver refuses for its own reasons (Ok: allowed).
    virtual Result LockRefusal() const { return Result::Ok; }
    // A lock with kLockDiscard was granted: the old contents are gone.
    virtual void Discarded(std::vector<uint8_t>& /*bytes*/) {}
    // The locked range was unlocked.
    virtual void RangeUnlocked(uint32_t /*offset*/, uint32_t /*size*/) {}

private:
    LedgerRef m_ledger;
    std::vector<uint8_t> m_bytes;
    uint32_t m_usage, m_fvf;
    Pool m_pool;
    bool m_locked = false;
    uint32_t m_lockOffset = 0, m_lockSize = 0;
};

}  // namespace gfx
