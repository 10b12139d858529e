// The graphics start-up check: the machine's description in _stat.txt, then what the OpenGL probe (or a
// probe a test chose) found, written to the logs and turned into the user's warning.
#include "gfx/GraphicsSupport.h"

#include "gfx/gl/GlDriver.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"
#include "runtime/SystemReport.h"

namespace {

GraphicsProbeFunction chosenProbe = nullptr;  // null: the OpenGL probe
const bool kRegistered = RegisterProcessState(
    "graphics probe", [] { chosenProbe = nullptr; }, kGfxState);

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
    GraphicsProbe probe = chosenProbe ? chosenProbe() : gfx::ProbeOpenGl();
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
