// The door into the OpenGL driver for the rest of the graphics layer: it makes the driver and runs the
// start-up probe without bringing any OpenGL header along.
#pragma once

#include <memory>
#include <string>

#include "gfx/Device.h"
#include "gfx/GraphicsSupport.h"

namespace gfx {

// The driver that creates OpenGL devices on the program's window. Null when the video system cannot start.
std::shared_ptr<Driver> CreateGlDriver();

// Why the last OpenGL device could not be made (the context's or the start's reason), empty when it could.
const std::string& GlLastContextError();

// A hidden window with an OpenGL 3.3 core context, asked for its renderer and released again.
GraphicsProbe ProbeOpenGl();

}  // namespace gfx
