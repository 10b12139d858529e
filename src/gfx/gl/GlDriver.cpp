// The OpenGL driver's adapter object: format checks on the display and device creation on the program's
// window, with the context made by platform::GlContext.
#include <string>

#include "gfx/AdapterFrontEnd.h"
#include "gfx/gl/GlDevice.h"
#include "platform/GlContext.h"
#include "platform/Window.h"

namespace gfx {

namespace {

std::string lastContextError;

class GlDriver : public AdapterFrontEnd {
public:
    int DesktopBitsPerPixel() override { return platform::DesktopBitsPerPixel(); }

private:
    bool DriverHasDisplayFormat(Format format, bool) override {
        // Frames are drawn in 8 bits per channel whatever the display; the 10-bit display format is not
        // offered.
        return format == fmt::X8R8G8B8 || format == fmt::R5G6B5 || format == fmt::X1R5G5B5;
    }
    bool DriverHasDepthFormat(Format depthFormat) override {
        GLenum internal = 0, attachment = 0;
        return MapDepthFormat(depthFormat, &internal, &attachment);
    }
    bool DriverHasTextureFormat(Format textureFormat) override {
        // Without a context the extensions cannot be asked; the device answers again once it exists.
        return !platform::AnyGlContextCurrent() || GlHasTextureFormat(textureFormat);
    }

    Result DriverCreateDevice(void* window, uint32_t, const PresentParameters& params,
                              std::unique_ptr<Device>* out) override {
        auto context = platform::GlContext::Create(window, &lastContextError);
        if (!context) return Result::NotAvailable;
        lastContextError.clear();
        auto device = std::make_unique<GlDevice>(std::move(context), params);
        if (!device->Start(&lastContextError)) return Result::NotAvailable;
        *out = std::move(device);
        return Result::Ok;
    }
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
