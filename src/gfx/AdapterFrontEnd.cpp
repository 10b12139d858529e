// The adapter rules shared by every driver.
#include "gfx/AdapterFrontEnd.h"

#include "gfx/DeviceFrontEnd.h"

namespace gfx {

namespace {
// The program draws on the first adapter only; no other is offered.
constexpr uint32_t kAdapterCount = 1;
}  // namespace

bool AdapterFrontEnd::CheckDeviceType(uint32_t adapter, Format displayFormat, Format backBufferFormat,
                                      bool windowed) {
    return adapter < kAdapterCount && displayFormat == backBufferFormat &&
           DriverHasDisplayFormat(displayFormat, windowed);
}

bool AdapterFrontEnd::CheckDepthStencilMatch(uint32_t adapter, Format, Format depthFormat) {
    return adapter < kAdapterCount && DriverHasDepthFormat(depthFormat);
}

bool AdapterFrontEnd::CheckTextureFormat(uint32_t adapter, Format, Format textureFormat) {
    return adapter < kAdapterCount && IsDeviceTextureFormat(textureFormat) &&
           DriverHasTextureFormat(textureFormat);
}

Result AdapterFrontEnd::CreateDevice(uint32_t adapter, void* focusWindow, uint32_t createFlags,
                                     PresentParameters* params, std::unique_ptr<Device>* out) {
    if (!params || !out || !focusWindow || adapter >= kAdapterCount) return Result::InvalidCall;
    if (params->enableAutoDepthStencil && !DriverHasDepthFormat(params->autoDepthStencilFormat))
        return Result::InvalidCall;
    return DriverCreateDevice(params->window ? params->window : focusWindow, createFlags, *params, out);
}

}  // namespace gfx
