// The device front end: every Direct3D rule of the device seam, once. It checks each argument, keeps the
// states with Direct3D's defaults, the scene, stream, texture and render-target bookkeeping and the forced
// cooperative level, and hands a driver only what it accepted. GlDevice draws it; RecordingDevice records it.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "gfx/Device.h"
#include "gfx/ResourceLedger.h"

namespace gfx {

// The largest texture side the front end accepts, whatever the driver could hold.
constexpr uint32_t kMaxTextureSize = 8192;
// The largest vertex buffer, bytes.
constexpr uint32_t kMaxVertexBufferBytes = 256u << 20;

// Whether the device stores textures of the format at all (before asking the driver whether its hardware
// has it): the 32- and 16-bit colour formats, A8, L8 and the DXT block formats.
bool IsDeviceTextureFormat(Format format);
// The format rule per usage: render targets are 32-bit colour formats.
bool FormatFitsUsage(Format format, uint32_t usage);
// Levels a texture of the size gets when levels levels are asked for (0: the whole chain to 1 x 1).
uint32_t LevelCountFor(uint32_t width, uint32_t height, uint32_t levels);

// What the front end tells a driver about each call before checking it (the recording driver writes it down).
enum class CallKind {
    TestCooperativeLevel,
    Reset,
    BeginScene,
    EndScene,
    Present,
    Clear,
    SetRenderState,
    SetTextureStageState,
    SetSamplerState,
    SetTransform,
    SetViewport,
    SetMaterial,
    SetTexture,
    SetFVF,
    SetNoShaders,
    SetStreamSource,
    DrawPrimitive,
    DrawPrimitiveUP,
    CreateTexture,
    CreateVertexBuffer,
    SetRenderTarget,
    GetRenderTargetData,
};
struct CallNote {
    CallKind kind;
    uint32_t v[6] = {};            // the call's integer arguments, in order
    float z = 0;                   // Clear's depth
    const void* object = nullptr;  // the texture, buffer or surface passed, or null
};

// An accepted draw: vertexCount vertices of stride bytes, from memory or from a buffer at byteOffset.
struct DrawCall {
    PrimitiveType type = PrimitiveType::TriangleList;
    uint32_t primitiveCount = 0;
    uint32_t vertexCount = 0;
    uint32_t stride = 0;
    uint32_t startVertex = 0;         // first vertex in the buffer (0 for draws from memory)
    const uint8_t* memory = nullptr;  // DrawPrimitiveUP's vertices, else null
    VertexBuffer* buffer = nullptr;   // DrawPrimitive's stream-0 buffer, else null
    uint32_t bufferOffset = 0;        // the stream's offset, bytes
};

class DeviceFrontEnd : public Device {
public:
    // Initial render states, identity transforms, a viewport covering the back buffer.
    explicit DeviceFrontEnd(const PresentParameters& params);

    // Forced by tests: what TestCooperativeLevel answers (DeviceLost, DeviceNotReset...) until a reset.
    // A lost device does not happen in OpenGL.
    Result cooperativeLevel = Result::Ok;

    Result TestCooperativeLevel() final;
    Result Reset(const PresentParameters& params) final;
    Result BeginScene() final;
    Result EndScene() final;
    Result Present() final;
    Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) final;

    void SetRenderState(RenderState state, uint32_t value) final;
    uint32_t GetRenderState(RenderState state) const final;
    void SetTextureStageState(uint32_t stage, StageState state, uint32_t value) final;
    uint32_t GetTextureStageState(uint32_t stage, StageState state) const final;
    void SetSamplerState(uint32_t sampler, SamplerState state, uint32_t value) final;
    uint32_t GetSamplerState(uint32_t sampler, SamplerState state) const final;
    void SetTransform(TransformType type, const Matrix& m) final;
    Matrix GetTransform(TransformType type) const final;
    void SetViewport(const Viewport& vp) final;
    Viewport GetViewport() const final;
    void SetMaterial(const Material& m) final;
    void SetTexture(uint32_t stage, std::shared_ptr<Texture> texture) final;
    std::shared_ptr<Texture> GetTexture(uint32_t stage) const final;
    void SetFVF(uint32_t fvf) final;
    uint32_t GetFVF() const final;
    void SetNoShaders() final;
    // Only stream 0 is kept; the program draws from no other.
    void SetStreamSource(uint32_t stream, std::shared_ptr<VertexBuffer> buffer, uint32_t offset,
                         uint32_t stride) final;

    Result DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) final;
    Result DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                           uint32_t stride) final;

    Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                         Pool pool, std::shared_ptr<Texture>* out) final;
    Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                              std::shared_ptr<VertexBuffer>* out) final;
    bool CheckTextureFormat(Format format, uint32_t usage) const final;

    std::shared_ptr<Surface> GetRenderTarget() final;
    Result SetRenderTarget(std::shared_ptr<Surface> target) final;
    Result GetRenderTargetData(Surface* renderTarget, Surface* destination) final;
    bool ReadRenderTarget(Image* out) final;

protected:
    // ---- the driver's part: called only with what the front end accepted
    virtual void Noted(const CallNote& /*note*/) {}
    virtual void DrawRefused() {}
    // Recreates what depends on the presentation parameters (m_params holds the new ones already; the front
    // end puts the previous ones back when this fails).
    virtual Result DriverReset(const PresentParameters& previous) = 0;
    virtual Result DriverBeginScene() { return Result::Ok; }
    virtual void DriverPresent() = 0;
    virtual void DriverClear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
    virtual void DriverDraw(const DrawCall& draw) = 0;
    // levels already counted; format, size and usage checked.
    virtual Result DriverCreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                       Format format, Pool pool, std::shared_ptr<Texture>* out) = 0;
    virtual Result DriverCreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                            std::shared_ptr<VertexBuffer>* out) = 0;
    // Whether the hardware has a format the front end stores (block compression may be missing).
    virtual bool DriverHasFormat(Format format) const = 0;
    virtual uint32_t DriverMaxTextureSize() const { return kMaxTextureSize; }
    // m_renderTarget changed; Fail when the driver cannot draw into it (the front end then goes back to
    // the previous target and tells the driver again).
    virtual Result DriverRenderTargetChanged() = 0;
    // Both surfaces this device's, same size, 32-bit colour, destination in system memory: checked.
    virtual Result DriverCopyRenderTarget(Surface* renderTarget, Surface* destination) = 0;
    // The current render target's pixels into out; false when the driver cannot read them.
    virtual bool DriverReadRenderTarget(Image* out) = 0;

    // Whether the surface is this device's back buffer or a level of a texture it made.
    bool OwnsSurface(const Surface* surface) const;
    // Bytes of the textures and buffers this device made that are still alive.
    uint64_t LiveResourceBytes() const { return m_ledger->liveBytes; }

    // Shared with every resource the driver makes (pass it to their constructors).
    LedgerRef m_ledger = std::make_shared<ResourceLedger>();

    // The back buffer; the driver makes it in its constructor and again when a reset changes its size.
    std::shared_ptr<Surface> m_backBuffer;
    std::shared_ptr<Surface> m_renderTarget;

    PresentParameters m_params;  // as created or last reset
    bool m_inScene = false;
    std::map<RenderState, uint32_t> m_renderStates;
    std::map<std::pair<uint32_t, StageState>, uint32_t> m_stageStates;
    std::map<std::pair<uint32_t, SamplerState>, uint32_t> m_samplerStates;
    Matrix m_world, m_view, m_projection;
    Viewport m_viewport;
    Material m_material;
    std::shared_ptr<Texture> m_textures[8];
    uint32_t m_fvf = 0;
    std::shared_ptr<VertexBuffer> m_stream;
    uint32_t m_streamOffset = 0, m_streamStride = 0;
};

}  // namespace gfx
