// Tests only: the graphics foundation started over a RecordingDevice, without a window or display.
#pragma once

#include <memory>

#include "gfx/DXG.h"
#include "testing/RecordingDevice.h"

namespace DXG {

// Resets the foundation, installs a new RecordingDriver (returned through driverOut when asked), and runs
// Init with the given Setup (default: the program's own) and a stand-in window. Returns the device, or null
// when Init failed.
gfx::RecordingDevice* InitRecordingForTests(const Setup* setup = nullptr,
                                            std::shared_ptr<gfx::RecordingDriver>* driverOut = nullptr);

// A non-null window value for Init over a recording driver.
void* StandInWindowForTests();

}  // namespace DXG
