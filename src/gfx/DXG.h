// DXG, the graphics foundation: one process-wide state that owns the device, starts and ends frames,
// notices a lost device and recovers it, and writes the graphics statistics at shutdown.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/Device.h"

namespace DXG {

// What the caller asks of the device (copied by Init; flags are 0 or 1).
struct Setup {
    uint32_t adapter = 0;    // adapter ordinal for every query and the device
    uint8_t fullscreen = 0;  // full-screen exclusive mode; 0 = windowed
    uint8_t colour32 = 1;    // 32-bit display format (windowed: replaced by the desktop's depth)
    uint32_t width = 800;    // back buffer, pixels
    uint32_t height = 600;
    uint8_t tripleBuffer = 0;              // two back buffers instead of one
    uint8_t hardwareVertexProcessing = 1;  // from the system probe's transform-and-lighting check
    uint8_t multithreaded = 1;             // thread-safe device
    uint8_t vsync = 0;                     // present once per vertical retrace
    uint8_t stencil = 0;                   // depth buffer with stencil bits wanted
};

using DeviceLostHandler = void (*)();

// Creates the device on the window (an SDL_Window* for the OpenGL driver; any non-null value for a
// recording driver). False after logging the reasons to _error.txt.
bool Init(void* window, const Setup* setup);
void Shutdown();
bool IsReady();
bool HasFailed();
bool IsDeviceLost();  // from the device reporting loss until a scene begins again

// The device; null (after the "not initialized" error) before Init.
gfx::Device* GetDevice();

// seconds: the previous frame's duration; countFrame: add it to the statistics; tryReset: reset a lost
// device that may be reset. True: drawing may follow and EndFrame0 must be called.
bool BeginFrame(float seconds, bool countFrame, bool tryReset);
void EndFrame0();  // ends the scene
void EndFrame1();  // presents the back buffer

void Clear(uint32_t colour, bool clearColour, bool clearDepth);
void SetDefaultRenderStates();
void SetTextureFilters(uint32_t minMagFilter, uint32_t mipFilter);  // gfx::filter values, samplers 0-15

gfx::Vector3* ScreenToWorld(float x, float y, float z, gfx::Vector3* out);
void WorldToScreen(const gfx::Vector3& in, float* outX, float* outY);

void AddDeviceLostHandler(DeviceLostHandler handler);

// The foundation's re-entrant lock: Init, Shutdown, device-texture work and the scenes' drawing.
void Lock();
void Unlock();
class ScopedLock {
public:
    ScopedLock() { Lock(); }
    ~ScopedLock() { Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
};

// Free texture memory in bytes; lowers the least value seen (reported at shutdown).
uint64_t SampleFreeTextureMemory();

// The Setup as Init adjusted it (stencil cleared when unavailable, colour32 from the desktop when windowed).
const Setup& GetSetup();
gfx::Format GetDisplayFormat();
gfx::Format GetDepthFormat();
// Whether the adapter accepts the format as a texture format on the display format.
bool CheckTextureFormat(gfx::Format format);

// The driver that Init creates the device with. Default: OpenGL. Tests install a recording driver before
// Init; a null driver restores the default.
void SetDriver(std::shared_ptr<gfx::Driver> driver);

// Writes the current render target to a PNG file (path with backslashes, relative to the working folder).
bool SaveScreenshot(const char* path);

}  // namespace DXG
