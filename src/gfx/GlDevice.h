// The OpenGL 3.3 core implementation of the device seam, drawn through an SDL GL context.
#pragma once

#include <memory>
#include <string>

#include "gfx/Device.h"

namespace gfx {

// The driver that creates GlDevices on SDL windows. Null when SDL's video cannot start.
std::shared_ptr<Driver> CreateGlDriver();

// Bits per pixel of the desktop's display mode (32 when it cannot be read).
int GlDesktopBitsPerPixel();

// Why the last GL context could not be made (SDL's error text), empty when it could.
const std::string& GlLastContextError();

}  // namespace gfx

namespace gfx {
// Tests: makes a GlDevice report the cooperative level (DeviceLost, DeviceNotReset...) until a reset.
// False when the device is not a GlDevice.
bool ForceGlCooperativeLevel(Device* device, Result level);
}  // namespace gfx
