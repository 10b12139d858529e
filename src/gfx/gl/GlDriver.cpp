// The OpenGL driver's adapter object: format checks on the display and device creation on the program's
// window, with the context made by platform::GlContext.
#include <string>

#include "gfx/gl/GlDevice.h"
#include "platform/GlContext.h"
#include "platform/Window.h"

namespace gfx {

namespace {

std::string lastContextError;

class GlDriver : public Driver {
public:
    bool CheckDeviceType(uint32_t adapter, Format displayFormat, Format backBufferFormat, bool) override {
        // Frames are drawn in 8 bits per channel whatever the display; the 10-bit display format is not
        // offered.
        return adapter == 0 && displayFormat == backBufferFormat &&
               (displayFormat == fmt::X8R8G8B8 || displayFormat == fmt::R5G6B5 ||
                displayFormat == fmt::X1R5G5B5);
    }
    bool CheckDepthStencilMatch(uint32_t adapter, Format, Format depthFormat) override {
        GLenum internal = 0, attachment = 0;
        return adapter == 0 && MapDepthFormat(depthFormat, &internal, &attachment);
    }
    bool CheckTextureFormat(uint32_t adapter, Format, Format textureFormat) override {
        if (adapter != 0 || !IsDeviceTextureFormat(textureFormat)) return false;
        // Without a context the extensions cannot be asked; the device answers again once it exists.
        return !platform::AnyGlContextCurrent() || GlHasTextureFormat(textureFormat);
    }

    Result CreateDevice(uint32_t adapter, void* focusWindow, uint32_t, PresentParameters* params,
                        std::unique_ptr<Device>* out) override {
        if (!params || !out || !focusWindow || adapter != 0) return Result::InvalidCall;
        GLenum internal = 0, attachment = 0;
        if (!MapDepthFormat(params->autoDepthStencilFormat, &internal, &attachment))
            return Result::InvalidCall;
        auto context =
            platform::GlContext::Create(params->window ? params->window : focusWindow, &lastContextError);
        if (!context) return Result::NotAvailable;
        lastContextError.clear();
        auto device = std::make_unique<GlDevice>(std::move(context), *params);
        if (!device->Start(&lastContextError)) return Result::NotAvailable;
        *out = std::move(device);
        return Result::Ok;
    }

    int DesktopBitsPerPixel() override { return platform::DesktopBitsPerPixel(); }
};

}  // namespace

std::shared_ptr<Driver> CreateGlDriver() {
    // The video system is left running (see platform/Window.cpp).
    if (!platform::StartVideo()) return nullptr;
    return std::make_shared<GlDriver>();
}

const std::string& GlLastContextError() {
    return lastContextError;
}

}  // namespace gfx
