// The graphics device seam: the part of a Direct3D 9 device that the graphics foundation and the renderers
// use, with the same codes and conventions. DeviceFrontEnd implements its rules once; its drivers GlDevice
// (OpenGL) and RecordingDevice (tests) carry out what it accepts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gfx {

// Results of device operations (the Direct3D outcomes the program tells apart).
enum class Result {
    Ok,
    Fail,          // any other failure
    InvalidCall,   // bad parameters
    NotAvailable,  // the device does not support the request
    OutOfVideoMemory,
    OutOfMemory,     // system memory
    InvalidData,     // a file or buffer with invalid contents
    DeviceLost,      // lost, cannot be reset yet
    DeviceNotReset,  // lost, may be reset now
    DriverInternalError,
};
inline bool Succeeded(Result r) {
    return r == Result::Ok;
}

// Surface and texture formats by their Direct3D code numbers.
using Format = uint32_t;
constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
namespace fmt {
constexpr Format Unknown = 0;
constexpr Format R8G8B8 = 20;
constexpr Format A8R8G8B8 = 21;
constexpr Format X8R8G8B8 = 22;
constexpr Format R5G6B5 = 23;
constexpr Format X1R5G5B5 = 24;
constexpr Format A1R5G5B5 = 25;
constexpr Format A4R4G4B4 = 26;
constexpr Format R3G3B2 = 27;
constexpr Format A8 = 28;
constexpr Format A8R3G3B2 = 29;
constexpr Format X4R4G4B4 = 30;
constexpr Format A2B10G10R10 = 31;
constexpr Format A8B8G8R8 = 32;
constexpr Format X8B8G8R8 = 33;
constexpr Format G16R16 = 34;
constexpr Format A2R10G10B10 = 35;
constexpr Format A16B16G16R16 = 36;
constexpr Format A8P8 = 40;
constexpr Format P8 = 41;
constexpr Format L8 = 50;
constexpr Format A8L8 = 51;
constexpr Format A4L4 = 52;
constexpr Format A2W10V10U10 = 67;
constexpr Format D16Lockable = 70;
constexpr Format D32 = 71;
constexpr Format D15S1 = 73;
constexpr Format D24S8 = 75;
constexpr Format D24X8 = 77;
constexpr Format D24X4S4 = 79;
constexpr Format D16 = 80;
constexpr Format A16B16G16R16F = 113;
constexpr Format A32B32G32R32F = 116;
constexpr Format DXT1 = MakeFourCC('D', 'X', 'T', '1');
constexpr Format DXT2 = MakeFourCC('D', 'X', 'T', '2');
constexpr Format DXT3 = MakeFourCC('D', 'X', 'T', '3');
constexpr Format DXT4 = MakeFourCC('D', 'X', 'T', '4');
constexpr Format DXT5 = MakeFourCC('D', 'X', 'T', '5');
constexpr Format MULTI2_ARGB8 = MakeFourCC('M', 'E', 'T', '1');
}  // namespace fmt

// Block-compressed formats are locked and uploaded in 4 x 4 blocks (8 bytes for DXT1, 16 for the others).
bool IsCompressedFormat(Format f);
// Bytes per pixel of an uncompressed colour format this seam can store (0: not supported).
uint32_t BytesPerPixel(Format f);
// Bytes of one level: rows x pitch (pitch = width x bytes per pixel, or blocks across x block size).
uint32_t LevelPitch(Format f, uint32_t width);
uint32_t LevelRows(Format f, uint32_t height);
// True when a depth format carries stencil bits.
bool HasStencil(Format depthFormat);

// Usage flags of textures and vertex buffers.
constexpr uint32_t kUsageNone = 0;
constexpr uint32_t kUsageRenderTarget = 0x1;
constexpr uint32_t kUsageWriteOnly = 0x8;
constexpr uint32_t kUsageDynamic = 0x200;

enum class Pool : uint32_t { Default = 0, Managed = 1, SystemMem = 2 };

// Lock flags.
constexpr uint32_t kLockNone = 0;
constexpr uint32_t kLockReadOnly = 0x10;
constexpr uint32_t kLockDiscard = 0x2000;

// Clear flags.
constexpr uint32_t kClearTarget = 1;
constexpr uint32_t kClearZBuffer = 2;
constexpr uint32_t kClearStencil = 4;

enum class PrimitiveType : uint32_t {
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};
// Vertices used by primitiveCount primitives of the type.
uint32_t VertexCountOf(PrimitiveType type, uint32_t primitiveCount);

// Flexible vertex format codes used by the program.
constexpr uint32_t kFvfScreen = 0x144;  // x, y, z, rhw, ARGB colour, u, v: 28 bytes, pre-transformed pixels
constexpr uint32_t kFvfWorld = 0x152;   // x, y, z, normal, ARGB colour, u, v: 36 bytes
uint32_t StrideOfFvf(uint32_t fvf);     // 0 for codes this seam does not draw

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t colour;  // ARGB
    float u, v;
};
struct WorldVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t colour;  // ARGB
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);
static_assert(sizeof(WorldVertex) == 36);

// Render states by their Direct3D numbers; values are the Direct3D values below.
enum class RenderState : uint32_t {
    ZEnable = 7,            // 0 off, 1 on
    FillMode = 8,           // FillMode
    ShadeMode = 9,          // ShadeMode
    ZWriteEnable = 14,      // 0/1
    AlphaTestEnable = 15,   // 0/1
    SrcBlend = 19,          // Blend
    DestBlend = 20,         // Blend
    CullMode = 22,          // Cull
    ZFunc = 23,             // Cmp
    AlphaRef = 24,          // 0..255
    AlphaFunc = 25,         // Cmp
    AlphaBlendEnable = 27,  // 0/1
    StencilEnable = 52,     // 0/1
    Clipping = 136,         // 0/1
    Lighting = 137,         // 0/1
    // Bits 0-3: red, green, blue and alpha are written.
    ColorWriteEnable = 168,
};
namespace cull {
constexpr uint32_t None = 1, CW = 2, CCW = 3;
}
namespace cmp {
constexpr uint32_t Never = 1, Less = 2, Equal = 3, LessEqual = 4, Greater = 5, NotEqual = 6, GreaterEqual = 7,
                   Always = 8;
}
namespace blend {
constexpr uint32_t Zero = 1, One = 2, SrcColor = 3, InvSrcColor = 4, SrcAlpha = 5, InvSrcAlpha = 6;
}
namespace fill {
constexpr uint32_t Point = 1, Wireframe = 2, Solid = 3;
}
namespace shade {
constexpr uint32_t Flat = 1, Gouraud = 2;
}

// Texture stage states (stages 0-7) by their Direct3D numbers.
enum class StageState : uint32_t {
    ColorOp = 1,
    ColorArg1 = 2,
    ColorArg2 = 3,
    AlphaOp = 4,
    AlphaArg1 = 5,
    AlphaArg2 = 6
};
namespace top {
constexpr uint32_t Disable = 1, SelectArg1 = 2, SelectArg2 = 3, Modulate = 4;
}
namespace targ {
constexpr uint32_t Diffuse = 0, Current = 1, Texture = 2;
}

// Sampler states (samplers 0-15) by their Direct3D numbers.
enum class SamplerState : uint32_t {
    AddressU = 1,
    AddressV = 2,
    MagFilter = 5,
    MinFilter = 6,
    MipFilter = 7
};
namespace filter {
constexpr uint32_t None = 0, Point = 1, Linear = 2;
}
namespace address {
constexpr uint32_t Wrap = 1, Mirror = 2, Clamp = 3;
}

enum class TransformType : uint32_t { View = 2, Projection = 3, World = 256 };

// A 4 x 4 matrix in Direct3D's layout: m[row * 4 + column], row vectors (v' = v * M), so translation
// is in m[12..14]. The same 16 floats as a column-major GLM matrix of the same transform.
struct Matrix {
    float m[16];
    static Matrix Identity();
    bool operator==(const Matrix&) const = default;
};

// The product World x View x Projection in Direct3D's row-vector order, the one place it is computed:
// the OpenGL driver draws with it and the foundation projects and unprojects points with it.
Matrix WorldViewProjection(const Matrix& world, const Matrix& view, const Matrix& projection);

struct Vector3 {
    float x = 0, y = 0, z = 0;
};

struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    float minZ = 0.0f, maxZ = 1.0f;
    bool operator==(const Viewport&) const = default;
};

struct ColourValue {
    float r = 0, g = 0, b = 0, a = 0;
};
struct Material {
    ColourValue diffuse, ambient, specular, emissive;
    float power = 0;
};

struct LockedRect {
    int32_t pitch = 0;     // bytes from one row (or row of 4 x 4 blocks) to the next
    void* bits = nullptr;  // row 0 is the top row
};

struct SurfaceDesc {
    Format format = fmt::Unknown;
    uint32_t usage = kUsageNone;
    Pool pool = Pool::Managed;
    uint32_t width = 0, height = 0;
};

class Texture;

// One level of a texture, or the device's back buffer. Lockable when its texture is (not render targets).
class Surface {
public:
    virtual ~Surface() = default;
    virtual SurfaceDesc GetDesc() const = 0;
    virtual Result LockRect(LockedRect* out, uint32_t flags) = 0;
    virtual Result UnlockRect() = 0;
};

// A 2-D texture with a chain of mip levels. Level 0 is the full size; each further level halves (at least 1).
class Texture {
public:
    virtual ~Texture() = default;
    virtual uint32_t GetLevelCount() const = 0;
    virtual SurfaceDesc GetLevelDesc(uint32_t level) const = 0;
    // Writes to a locked level reach the device at unlock. Compressed formats lock in blocks.
    virtual Result LockRect(uint32_t level, LockedRect* out, uint32_t flags) = 0;
    virtual Result UnlockRect(uint32_t level) = 0;
    virtual std::shared_ptr<Surface> GetSurfaceLevel(uint32_t level) = 0;
};

class VertexBuffer {
public:
    virtual ~VertexBuffer() = default;
    virtual uint32_t GetLength() const = 0;  // bytes
    virtual uint32_t GetUsage() const = 0;
    virtual uint32_t GetFvf() const = 0;
    virtual Pool GetPool() const = 0;
    // size 0 = to the end. kLockDiscard hands out fresh contents.
    virtual Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual Result Unlock() = 0;
};

// What a device is created and reset with.
struct PresentParameters {
    uint32_t backBufferWidth = 800;
    uint32_t backBufferHeight = 600;
    Format backBufferFormat = fmt::X8R8G8B8;
    uint32_t backBufferCount = 1;
    bool windowed = true;
    bool enableAutoDepthStencil = true;
    Format autoDepthStencilFormat = fmt::D24X8;
    bool vsync = false;      // present once per vertical retrace; false = immediately
    void* window = nullptr;  // the device window (an SDL_Window* for GlDevice)
};

// Image read back from a render target: ARGB pixels, top row first.
struct Image {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // A8R8G8B8 values, row-major
    uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

class Device {
public:
    virtual ~Device() = default;

    // Lost-device protocol. Ok, DeviceLost, DeviceNotReset or DriverInternalError.
    virtual Result TestCooperativeLevel() = 0;
    virtual Result Reset(const PresentParameters& params) = 0;

    virtual Result BeginScene() = 0;
    virtual Result EndScene() = 0;
    virtual Result Present() = 0;
    // flags: kClear... bits. colour ARGB, z 0..1.
    virtual Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;

    virtual void SetRenderState(RenderState state, uint32_t value) = 0;
    virtual uint32_t GetRenderState(RenderState state) const = 0;
    virtual void SetTextureStageState(uint32_t stage, StageState state, uint32_t value) = 0;
    virtual uint32_t GetTextureStageState(uint32_t stage, StageState state) const = 0;
    virtual void SetSamplerState(uint32_t sampler, SamplerState state, uint32_t value) = 0;
    virtual uint32_t GetSamplerState(uint32_t sampler, SamplerState state) const = 0;

    virtual void SetTransform(TransformType type, const Matrix& m) = 0;
    virtual Matrix GetTransform(TransformType type) const = 0;
    virtual void SetViewport(const Viewport& vp) = 0;
    virtual Viewport GetViewport() const = 0;
    virtual void SetMaterial(const Material& m) = 0;

    // Stage 0 is the only stage drawn with; a null texture draws the vertex colour alone.
    virtual void SetTexture(uint32_t stage, std::shared_ptr<Texture> texture) = 0;
    virtual std::shared_ptr<Texture> GetTexture(uint32_t stage) const = 0;
    virtual void SetFVF(uint32_t fvf) = 0;
    virtual uint32_t GetFVF() const = 0;
    // Fixed-function drawing: no vertex or pixel shader of the caller's.
    virtual void SetNoShaders() = 0;
    virtual void SetStreamSource(uint32_t stream, std::shared_ptr<VertexBuffer> buffer, uint32_t offset,
                                 uint32_t stride) = 0;

    // Draws from the stream-0 buffer, with the current vertex format.
    virtual Result DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    // Draws from memory; the stream-0 binding is dropped afterwards, as Direct3D does.
    virtual Result DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                   uint32_t stride) = 0;

    virtual Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                 Format format, Pool pool, std::shared_ptr<Texture>* out) = 0;
    virtual Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                      std::shared_ptr<VertexBuffer>* out) = 0;
    // Whether a texture of the format can be created (the adapter check on the display format).
    virtual bool CheckTextureFormat(Format format, uint32_t usage) const = 0;

    // Render target 0: the back buffer, or level 0 of a texture created with kUsageRenderTarget. Setting one
    // sets a viewport covering it. Clear clears the viewport's rectangle.
    virtual std::shared_ptr<Surface> GetRenderTarget() = 0;
    virtual Result SetRenderTarget(std::shared_ptr<Surface> target) = 0;
    // Copies a render target into a same-sized, same-format system-memory surface.
    virtual Result GetRenderTargetData(Surface* renderTarget, Surface* destination) = 0;
    // The current render target's pixels, top row first (screenshots and pixel tests).
    virtual bool ReadRenderTarget(Image* out) = 0;

    virtual uint64_t GetAvailableTextureMem() const = 0;  // bytes
    virtual std::string GetVertexShaderProfile() const = 0;
    virtual std::string GetPixelShaderProfile() const = 0;
};

// Behaviour flags of device creation.
constexpr uint32_t kCreateSoftwareVertexProcessing = 0x20;
constexpr uint32_t kCreateHardwareVertexProcessing = 0x40;
constexpr uint32_t kCreateMultithreaded = 0x4;

// The object that checks formats and creates the device (Direct3D's adapter object).
class Driver {
public:
    virtual ~Driver() = default;
    // Whether display and back-buffer format can be used on the adapter.
    virtual bool CheckDeviceType(uint32_t adapter, Format displayFormat, Format backBufferFormat,
                                 bool windowed) = 0;
    virtual bool CheckDepthStencilMatch(uint32_t adapter, Format displayFormat, Format depthFormat) = 0;
    virtual bool CheckTextureFormat(uint32_t adapter, Format displayFormat, Format textureFormat) = 0;
    virtual Result CreateDevice(uint32_t adapter, void* focusWindow, uint32_t createFlags,
                                PresentParameters* params, std::unique_ptr<Device>* out) = 0;
    // Bits per pixel of the desktop (16, 24 or 32).
    virtual int DesktopBitsPerPixel() = 0;
};

}  // namespace gfx
