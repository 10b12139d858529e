// A texture whose levels are kept in memory: the part both devices share. The OpenGL device uploads a
// level when it is unlocked; the recording device keeps only the bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Device.h"
#include "gfx/ResourceLedger.h"

namespace gfx {

class MemoryTexture : public Texture {
public:
    // Counts its bytes in the ledger of the device that made it for as long as it lives.
    MemoryTexture(LedgerRef ledger, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                  Format format, Pool pool);
    ~MemoryTexture() override;

    uint32_t GetLevelCount() const override { return uint32_t(m_levels.size()); }
    SurfaceDesc GetLevelDesc(uint32_t level) const override;
    // Render-target levels live on the device only and cannot be locked, as on Direct3D.
    Result LockRect(uint32_t level, LockedRect* out, uint32_t flags) override;
    Result UnlockRect(uint32_t level) override;

    uint8_t* LevelBytes(uint32_t level) { return m_levels[level].bytes.data(); }
    uint32_t LevelPitchOf(uint32_t level) const { return m_levels[level].pitch; }
    // Bytes of all levels together.
    uint64_t TotalBytes() const { return m_totalBytes; }
    // The ledger of the device that made it.
    const ResourceLedger* Ledger() const { return m_ledger.get(); }

protected:
    // A lock the device refuses for its own reasons (Ok: allowed).
    virtual Result LockRefusal() const { return Result::Ok; }
    // Called after a level was unlocked; written tells whether the lock allowed writing.
    virtual void LevelUnlocked(uint32_t /*level*/, bool /*written*/) {}

private:
    struct Level {
        SurfaceDesc desc;
        uint32_t pitch = 0;
        std::vector<uint8_t> bytes;  // the level's contents as last written through a lock
        bool locked = false;
        bool readOnly = false;
    };
    LedgerRef m_ledger;
    std::vector<Level> m_levels;
    uint64_t m_totalBytes = 0;
};

}  // namespace gfx
