// The graphics foundation's one process-wide state, shared by its set-up (DXG.cpp) and its frame cycle
// (DxgFrame.cpp).
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "gfx/DXG.h"

namespace DXG {

struct State {
    bool ready = false;
    bool failed = false;      // during Init, after a failed Init, after an unrecoverable reset error
    bool deviceLost = false;  // from the device reporting loss until a scene begins again
    bool inFrame = false;     // between a successful BeginFrame and EndFrame0
    Setup setup;              // as Init adjusted it
    gfx::Format displayFormat = gfx::fmt::Unknown;
    gfx::Format depthFormat = gfx::fmt::Unknown;
    std::shared_ptr<gfx::Driver> installedDriver;  // tests: used instead of the OpenGL driver
    std::shared_ptr<gfx::Driver> driver;           // the adapter object while initialised
    std::unique_ptr<gfx::Device> device;
    gfx::PresentParameters params;  // kept for a device reset
    uint64_t initialTotal = 0;      // bytes: free texture memory at start plus the frame buffers' estimate
    uint64_t minFree = 0;           // bytes: least free texture memory seen
    uint32_t frames = 0;            // frames counted
    double seconds = 0;             // sum of the counted frames' durations
    std::recursive_mutex lock;      // Init, Shutdown, device-texture work, the scenes' drawing
    std::vector<DeviceLostHandler> handlers;
};

// The state; never destroyed, as the automatic shutdown runs at exit.
State& S();

}  // namespace DXG
