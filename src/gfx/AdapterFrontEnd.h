// The adapter object's front end: the Direct3D rules of format checks and device creation, once for every
// driver. There is one adapter; the display and back-buffer formats must be equal; only the formats the
// device stores are offered as textures; a null window, null parameters or a depth format the adapter
// lacks are refused before a driver is asked.
#pragma once

#include <memory>

#include "gfx/Device.h"

namespace gfx {

class AdapterFrontEnd : public Driver {
public:
    bool CheckDeviceType(uint32_t adapter, Format displayFormat, Format backBufferFormat,
                         bool windowed) final;
    bool CheckDepthStencilMatch(uint32_t adapter, Format displayFormat, Format depthFormat) final;
    bool CheckTextureFormat(uint32_t adapter, Format displayFormat, Format textureFormat) final;
    Result CreateDevice(uint32_t adapter, void* focusWindow, uint32_t createFlags, PresentParameters* params,
                        std::unique_ptr<Device>* out) final;

protected:
    // ---- the driver's part: called only with what the front end accepted
    virtual bool DriverHasDisplayFormat(Format format, bool windowed) = 0;
    virtual bool DriverHasDepthFormat(Format depthFormat) = 0;
    // A format the device stores; whether this hardware has it (block compression may be missing).
    virtual bool DriverHasTextureFormat(Format textureFormat) = 0;
    // window: the parameters' window, else the focus window; never null.
    virtual Result DriverCreateDevice(void* window, uint32_t createFlags, const PresentParameters& params,
                                      std::unique_ptr<Device>* out) = 0;
};

}  // namespace gfx
