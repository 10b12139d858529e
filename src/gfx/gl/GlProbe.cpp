// The graphics start-up check: a hidden window with an OpenGL 3.3 core context is made and asked for its
// renderer, then released again before the real device is created.
#include <epoxy/gl.h>

#include "gfx/GraphicsSupport.h"
#include "platform/GlContext.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"
#include "runtime/SystemReport.h"

namespace {

GraphicsProbeFunction chosenProbe = nullptr;  // null: the OpenGL probe
const bool kRegistered = RegisterProcessState(
    "graphics probe", [] { chosenProbe = nullptr; }, kGfxState);

// A hidden window with an OpenGL 3.3 core context, asked for its renderer and released again.
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

}  // namespace

bool IsSoftwareRenderer(const std::string& renderer) {
    for (const char* name :
         {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SwiftShader", "lavapipe"})
        if (renderer.find(name) != std::string::npos) return true;
    return false;
}

void SetGraphicsProbe(GraphicsProbeFunction probe) {
    chosenProbe = probe;
}

bool CheckGraphicsSupport(uint8_t* hardwareTnL, std::string* warning) {
    ReportSystemInfo();
    GraphicsProbe probe = chosenProbe ? chosenProbe() : ProbeOpenGl();
    if (!probe.available) {
        errorLog.Write("Failed to create Direct3D9 object\n");
        if (warning)
            *warning +=
                "OpenGL 3.3 or greater is required to run this program.\n"
                "Older versions of OpenGL (including OpenGL 3.2) will not work.\n"
                "Please install the current graphics driver for your card from its vendor "
                "(for Mesa: https://docs.mesa3d.org/download.html).\n\n";
        return true;
    }
    statLog.Write("Video card: " + probe.renderer + "\n");
    if (probe.capabilitiesRead) {
        if (hardwareTnL) *hardwareTnL = probe.hardwareTnL ? 1 : 0;
        statLog.Write(probe.hardwareTnL ? "Hardware TnL support detected.\n"
                                        : "Video card does NOT support Hardware TnL.\n");
        statLog.Write("\n");
    } else {
        errorLog.Write("Could not retrieve graphics device capabilities\n");
    }
    return false;
}
