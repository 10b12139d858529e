// The OpenGL half of the graphics start-up check: a hidden window with an OpenGL 3.3 core context is made
// and asked for its renderer, then released again before the real device is created.
#include <epoxy/gl.h>

#include "gfx/gl/GlDriver.h"
#include "platform/GlContext.h"

namespace gfx {

GraphicsProbe ProbeOpenGl() {
    GraphicsProbe result;
    std::string error;
    auto context = platform::GlContext::CreateHidden(&error);
    if (!context) return result;
    result.available = epoxy_gl_version() >= 33;
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    result.renderer = renderer ? renderer : "";
    result.capabilitiesRead = renderer != nullptr;
    result.hardwareTnL = !IsSoftwareRenderer(result.renderer);
    return result;  // the video system stays up for the program's window
}

}  // namespace gfx
