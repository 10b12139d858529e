// What one device keeps about the textures and vertex buffers it made, shared with them because they may
// outlive it: their bytes, counted once here for every driver, and which device made them.
#pragma once

#include <cstdint>
#include <memory>

namespace gfx {

struct ResourceLedger {
    uint64_t liveBytes = 0;  // bytes of the device's live textures and buffers
};
using LedgerRef = std::shared_ptr<ResourceLedger>;

}  // namespace gfx
