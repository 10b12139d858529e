// The graphics foundation's device set-up, shutdown with its statistics, and the state's queries.
#include "gfx/DXG.h"

#include <cstdlib>
#include <string>

#include "gfx/DxgState.h"
#include "gfx/gl/GlDriver.h"
#include "platform/Window.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace DXG {

State& S() {
    static State* state = new State;  // never destroyed: the automatic shutdown runs at exit
    return *state;
}

namespace {

void AutomaticShutdown() {
    if (!S().ready) return;
    errorLog.Write("Warning: Graphics foundation never shut down\n");
    errorLog.Write(" -Performing automtic shutdown... ");
    Shutdown();
    errorLog.Write("OK\n");
}

int DesktopBits() {
    State& s = S();
    return s.installedDriver ? s.installedDriver->DesktopBitsPerPixel() : platform::DesktopBitsPerPixel();
}

// The set-up check: an empty reason on success.
bool CheckSetup(const Setup* setup, std::string* reason) {
    if (!setup) {
        *reason = "Invalid pointer passed for Setup struct.";
        return false;
    }
    if (!setup->fullscreen) {
        int bits = DesktopBits();
        if (bits != 16 && bits != 32)
            errorLog.Write(
                "Windows desktop should be set to either 16 or 32 bit color to run in windowed mode... "
                "but will try it anyways...\n");
    }
    reason->clear();
    return true;
}

bool ChooseDisplayFormat(State& s) {
    const gfx::Format with32[] = {gfx::fmt::A2R10G10B10, gfx::fmt::X8R8G8B8};
    const gfx::Format with16[] = {gfx::fmt::R5G6B5, gfx::fmt::X1R5G5B5};
    for (gfx::Format f : s.setup.colour32 ? with32 : with16)
        if (s.driver->CheckDeviceType(s.setup.adapter, f, f, !s.setup.fullscreen)) {
            s.displayFormat = f;
            return true;
        }
    return false;
}

bool ChooseDepthFormat(State& s) {
    if (s.setup.stencil) {
        for (gfx::Format f : {gfx::fmt::D24S8, gfx::fmt::D15S1})
            if (s.driver->CheckDepthStencilMatch(s.setup.adapter, s.displayFormat, f)) {
                s.depthFormat = f;
                return true;
            }
        s.setup.stencil = 0;
        errorLog.Write(
            "Warning: Couldn't find compatible stencil buffer format... reverting to plain depth buffer "
            "formats.\n");
    }
    for (gfx::Format f : {gfx::fmt::D32, gfx::fmt::D24X8, gfx::fmt::D24S8, gfx::fmt::D16})
        if (s.driver->CheckDepthStencilMatch(s.setup.adapter, s.displayFormat, f)) {
            s.depthFormat = f;
            return true;
        }
    return false;
}

bool CreateTheDevice(State& s, void* window) {
    uint32_t flags = s.setup.hardwareVertexProcessing ? gfx::kCreateHardwareVertexProcessing
                                                      : gfx::kCreateSoftwareVertexProcessing;
    if (s.setup.multithreaded) flags |= gfx::kCreateMultithreaded;
    gfx::PresentParameters& p = s.params;
    p = gfx::PresentParameters();
    p.backBufferWidth = s.setup.width;
    p.backBufferHeight = s.setup.height;
    p.backBufferFormat = s.displayFormat;
    p.backBufferCount = s.setup.tripleBuffer ? 2 : 1;
    p.window = window;
    p.windowed = !s.setup.fullscreen;
    p.enableAutoDepthStencil = true;
    p.autoDepthStencilFormat = s.depthFormat;
    p.vsync = s.setup.vsync;

    gfx::Result r = s.driver->CreateDevice(s.setup.adapter, window, flags, &p, &s.device);
    if (gfx::Succeeded(r)) return true;
    errorLog.Write("CreateDevice failed... trying again in case the API fixed a parameter...");
    r = s.driver->CreateDevice(s.setup.adapter, window, flags, &p, &s.device);
    if (gfx::Succeeded(r)) return true;
    s.depthFormat = p.autoDepthStencilFormat = gfx::fmt::D16;
    s.setup.stencil = 0;
    r = s.driver->CreateDevice(s.setup.adapter, window, flags, &p, &s.device);
    if (gfx::Succeeded(r)) {
        errorLog.Write(" good.\n");
        return true;
    }
    errorLog.Write("bad.\nFailed to create D3D device:\n");
    if (r == gfx::Result::InvalidCall)
        errorLog.Write("  -bad parameters\n");
    else if (r == gfx::Result::NotAvailable)
        errorLog.Write("  -device doesn't support requested features\n");
    else if (r == gfx::Result::OutOfVideoMemory)
        errorLog.Write("  -device doesn't have enough video memory free\n");
    return false;
}

}  // namespace

bool Init(void* window, const Setup* setup) {
    State& s = S();
    ScopedLock lock;
    if (s.failed) return false;
    s.failed = true;
    if (s.ready) {
        errorLog.Write("Attempt to call DXG::Init while already ready\n");
        return false;
    }
    if (!window) {
        errorLog.Write("Null window passed to DXG::Init\n");
        return false;
    }
    std::string reason;
    if (!CheckSetup(setup, &reason)) {
        errorLog.Write("DXG::Init failed:\n  -" + reason + "\n");
        Shutdown();
        return false;
    }
    s.setup = *setup;
    if (!s.setup.fullscreen) s.setup.colour32 = DesktopBits() == 32;

    s.driver = s.installedDriver ? s.installedDriver : gfx::CreateGlDriver();
    if (!s.driver) {
        errorLog.Write("Failed to create Direct3D9 object\n");
        Shutdown();
        return false;
    }
    if (!ChooseDisplayFormat(s)) {
        errorLog.Write("No valid display formats available\n");
        Shutdown();
        return false;
    }
    if (!ChooseDepthFormat(s)) {
        errorLog.Write("No valid z buffer formats available\n");
        Shutdown();
        return false;
    }
    if (!CreateTheDevice(s, window)) {
        Shutdown();
        return false;
    }

    s.device->SetViewport({0, 0, s.setup.width, s.setup.height, 0.0f, 1.0f});
    uint64_t freeNow = s.device->GetAvailableTextureMem();
    uint64_t buffers = s.setup.tripleBuffer ? 3 : 2;
    uint64_t bytesPerPixel = s.setup.colour32 ? 4 : 2;
    s.initialTotal =
        freeNow + (((buffers * bytesPerPixel * s.setup.height * s.setup.width) >> 10) + 512) * 1024;
    s.minFree = freeNow;

    s.failed = false;
    s.ready = true;
    // One exit handler for the process, however often the foundation starts again.
    static const bool exitHandlerRegistered = std::atexit(AutomaticShutdown) == 0;
    (void)exitHandlerRegistered;
    SetDefaultRenderStates();

    statLog.Write("Exact Vertex Shader version: " + s.device->GetVertexShaderProfile() + "\n");
    statLog.Write("Exact Pixel Shader version: " + s.device->GetPixelShaderProfile() + "\n");
    statLog.Write("Initial free texture memory(vid mem + agp mem): " + std::to_string(freeNow >> 20) +
                  "MB.\n");
    return true;
}

void Shutdown() {
    State& s = S();
    ScopedLock lock;
    s.device.reset();
    s.driver.reset();
    if (s.initialTotal != 0) {
        uint64_t used = s.initialTotal >= s.minFree ? s.initialTotal - s.minFree : 0;
        statLog.Write("Approximate max video memory used: " + std::to_string(uint32_t(used >> 20)) +
                      "MB\n\n");
    }
    if (s.frames != 0) {
        unsigned wholeSeconds = unsigned(s.seconds + 0.5);
        unsigned rate = unsigned(double(s.frames) / s.seconds + 0.5);
        statLog.Write("Average framerate (over " + std::to_string(wholeSeconds) +
                      " seconds): " + std::to_string(rate) + " frames/second\n\n");
    }
    // Each run's statistics are written once; a later Init starts its own.
    s.initialTotal = s.minFree = 0;
    s.frames = 0;
    s.seconds = 0;
    s.inFrame = false;
    s.deviceLost = false;
    s.ready = false;
}

bool IsReady() {
    return S().ready;
}
bool HasFailed() {
    return S().failed;
}
bool IsDeviceLost() {
    return S().deviceLost;
}

gfx::Device* GetDevice() {
    State& s = S();
    if (!s.ready)
        ReportMisuse("Error: DXG::GetDevice used when graphics foundation is not initialized.\n",
                     kCallMadeFrom);
    return s.device.get();
}

void Lock() {
    S().lock.lock();
}
void Unlock() {
    S().lock.unlock();
}

uint64_t SampleFreeTextureMemory() {
    State& s = S();
    if (!s.device) return 0;
    uint64_t freeNow = s.device->GetAvailableTextureMem();
    if (freeNow < s.minFree) s.minFree = freeNow;
    return freeNow;
}

const Setup& GetSetup() {
    return S().setup;
}
gfx::Format GetDisplayFormat() {
    return S().displayFormat;
}
gfx::Format GetDepthFormat() {
    return S().depthFormat;
}

bool CheckTextureFormat(gfx::Format format) {
    State& s = S();
    return s.driver && s.driver->CheckTextureFormat(s.setup.adapter, s.displayFormat, format);
}

void SetDriver(std::shared_ptr<gfx::Driver> driver) {
    S().installedDriver = std::move(driver);
}

namespace {
// Back to the state before the first Init: device released without statistics, handlers and flags
// cleared, default driver.
void Forget() {
    State& s = S();
    ScopedLock lock;
    s.device.reset();
    s.driver.reset();
    s.installedDriver.reset();
    s.ready = s.failed = s.deviceLost = s.inFrame = false;
    s.setup = Setup();
    s.displayFormat = s.depthFormat = gfx::fmt::Unknown;
    s.initialTotal = s.minFree = 0;
    s.frames = 0;
    s.seconds = 0;
    s.handlers.clear();
}

const bool kRegistered = RegisterProcessState("graphics foundation", Forget, kGfxState);
}  // namespace

}  // namespace DXG
