// The recording driver's textures, surfaces and vertex buffers: memory-backed, so that draws can be read
// back byte for byte. Locks can be made to fail; a discarded buffer shows garbage.
#pragma once

#include <memory>
#include <vector>

#include "gfx/LevelSurface.h"
#include "gfx/MemoryTexture.h"
#include "gfx/MemoryVertexBuffer.h"

namespace gfx {

// What a recording device shares with its resources, which may outlive it.
struct RecordingShared {
    Result lockResult = Result::Ok;  // forced outcome of texture and vertex-buffer locks
};

class RecordingTexture;

// One level of a recording texture, or the back buffer (which owns its own pixels).
class RecordingSurface : public LevelSurface {
public:
    RecordingSurface(std::shared_ptr<RecordingTexture> texture, uint32_t level);
    RecordingSurface(uint32_t width, uint32_t height, Format format);
    // Bytes of the level and its pitch (for clears and copies).
    uint8_t* Bytes(uint32_t* pitch);

private:
    std::vector<uint8_t> m_own;  // the back buffer's pixels, 4 bytes each
};

class RecordingTexture : public MemoryTexture, public std::enable_shared_from_this<RecordingTexture> {
public:
    RecordingTexture(LedgerRef ledger, std::shared_ptr<RecordingShared> shared, uint32_t width,
                     uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool)
        : MemoryTexture(std::move(ledger), width, height, levels, usage, format, pool),
          m_shared(std::move(shared)) {}
    std::shared_ptr<Surface> GetSurfaceLevel(uint32_t level) override;

private:
    Result LockRefusal() const override { return m_shared->lockResult; }

    std::shared_ptr<RecordingShared> m_shared;
};

class RecordingVertexBuffer : public MemoryVertexBuffer {
public:
    RecordingVertexBuffer(LedgerRef ledger, std::shared_ptr<RecordingShared> shared, uint32_t length,
                          uint32_t usage, uint32_t fvf, Pool pool)
        : MemoryVertexBuffer(std::move(ledger), length, usage, fvf, pool), m_shared(std::move(shared)) {}

private:
    Result LockRefusal() const override { return m_shared->lockResult; }
    // Discard hands out fresh contents: make the old ones visible as garbage.
    void Discarded(std::vector<uint8_t>& bytes) override;

    std::shared_ptr<RecordingShared> m_shared;
};

}  // namespace gfx
