// The device's rules: argument checks, limits, formats per pool and usage, the in-scene rule, defaults and
// the bookkeeping of states, streams, textures and render targets. Drivers see only accepted calls.
#include "gfx/DeviceFrontEnd.h"

#include <algorithm>

#include "gfx/LevelSurface.h"

namespace gfx {

namespace {

// Direct3D's initial render states.
std::map<RenderState, uint32_t> InitialRenderStates(bool depthEnabled) {
    return {
        {RenderState::ZEnable, depthEnabled ? 1u : 0u},
        {RenderState::FillMode, fill::Solid},
        {RenderState::ShadeMode, shade::Gouraud},
        {RenderState::ZWriteEnable, 1},
        {RenderState::AlphaTestEnable, 0},
        {RenderState::SrcBlend, blend::One},
        {RenderState::DestBlend, blend::Zero},
        {RenderState::CullMode, cull::CCW},
        {RenderState::ZFunc, cmp::LessEqual},
        {RenderState::AlphaRef, 0},
        {RenderState::AlphaFunc, cmp::Always},
        {RenderState::AlphaBlendEnable, 0},
        {RenderState::StencilEnable, 0},
        {RenderState::Clipping, 1},
        {RenderState::Lighting, 1},
        {RenderState::ColorWriteEnable, 0xF},
    };
}

// Unset stage states: stage 0 modulates texture and diffuse (alpha selects the texture), other stages off.
uint32_t DefaultTextureStageState(uint32_t stage, StageState state) {
    switch (state) {
    case StageState::ColorOp: return stage == 0 ? top::Modulate : top::Disable;
    case StageState::AlphaOp: return stage == 0 ? top::SelectArg1 : top::Disable;
    case StageState::ColorArg1:
    case StageState::AlphaArg1: return targ::Texture;
    default: return targ::Current;
    }
}

// Unset sampler states: wrap, point filtering, no mips.
uint32_t DefaultSamplerState(SamplerState state) {
    if (state == SamplerState::AddressU || state == SamplerState::AddressV) return address::Wrap;
    return state == SamplerState::MipFilter ? filter::None : filter::Point;
}

// Stage settings the fixed-function shader draws: stage 0 combines texture, diffuse and current with
// disable, select or modulate; the further stages can only be switched off.
bool StageSettingDrawable(uint32_t stage, StageState state, uint32_t value) {
    if (stage >= 8) return false;
    const bool operation = state == StageState::ColorOp || state == StageState::AlphaOp;
    if (stage > 0) return !operation || value == top::Disable;
    if (operation) return value >= top::Disable && value <= top::Modulate;
    return value == targ::Diffuse || value == targ::Current || value == targ::Texture;
}

}  // namespace

bool IsDeviceTextureFormat(Format format) {
    switch (format) {
    case fmt::A8R8G8B8:
    case fmt::X8R8G8B8:
    case fmt::R5G6B5:
    case fmt::X1R5G5B5:
    case fmt::A1R5G5B5:
    case fmt::A4R4G4B4:
    case fmt::A8:
    case fmt::L8:
    case fmt::DXT1:
    case fmt::DXT2:
    case fmt::DXT3:
    case fmt::DXT4:
    case fmt::DXT5: return true;
    default: return false;
    }
}

bool FormatFitsUsage(Format format, uint32_t usage) {
    return !(usage & kUsageRenderTarget) || format == fmt::A8R8G8B8 || format == fmt::X8R8G8B8;
}

uint32_t LevelCountFor(uint32_t width, uint32_t height, uint32_t levels) {
    uint32_t chain = 1;
    while ((std::max(width, height) >> chain) != 0) ++chain;
    return levels == 0 || levels > chain ? chain : levels;
}

DeviceFrontEnd::DeviceFrontEnd(const PresentParameters& params)
    : m_params(params),
      m_renderStates(InitialRenderStates(params.enableAutoDepthStencil)),
      m_world(Matrix::Identity()),
      m_view(Matrix::Identity()),
      m_projection(Matrix::Identity()),
      m_viewport{0, 0, params.backBufferWidth, params.backBufferHeight, 0.0f, 1.0f} {}

Result DeviceFrontEnd::TestCooperativeLevel() {
    Noted({CallKind::TestCooperativeLevel});
    return cooperativeLevel;
}

Result DeviceFrontEnd::Reset(const PresentParameters& params) {
    Noted({CallKind::Reset});
    if (cooperativeLevel == Result::DeviceLost) return Result::DeviceLost;
    const PresentParameters previous = m_params;
    m_params = params;
    const Result r = DriverReset(previous);
    if (r != Result::Ok) {
        // The device keeps what it was created or last reset with; the caller may try again.
        m_params = previous;
        return r;
    }
    m_renderTarget = m_backBuffer;
    m_viewport = {0, 0, params.backBufferWidth, params.backBufferHeight, 0.0f, 1.0f};
    DriverRenderTargetChanged();
    cooperativeLevel = Result::Ok;
    return Result::Ok;
}

Result DeviceFrontEnd::BeginScene() {
    Noted({CallKind::BeginScene});
    if (m_inScene) return Result::InvalidCall;
    const Result r = DriverBeginScene();
    if (r != Result::Ok) return r;
    m_inScene = true;
    return Result::Ok;
}

Result DeviceFrontEnd::EndScene() {
    Noted({CallKind::EndScene});
    if (!m_inScene) return Result::InvalidCall;
    m_inScene = false;
    return Result::Ok;
}

Result DeviceFrontEnd::Present() {
    Noted({CallKind::Present});
    DriverPresent();
    return cooperativeLevel == Result::Ok ? Result::Ok : Result::DeviceLost;
}

Result DeviceFrontEnd::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
    CallNote note{CallKind::Clear, {flags, colour, stencil}};
    note.z = z;
    Noted(note);
    if ((flags & kClearStencil) && !HasStencil(m_params.autoDepthStencilFormat)) return Result::InvalidCall;
    DriverClear(flags, colour, z, stencil);
    return Result::Ok;
}

void DeviceFrontEnd::SetRenderState(RenderState state, uint32_t value) {
    Noted({CallKind::SetRenderState, {uint32_t(state), value}});
    m_renderStates[state] = value;
}

uint32_t DeviceFrontEnd::GetRenderState(RenderState state) const {
    auto it = m_renderStates.find(state);
    return it == m_renderStates.end() ? 0 : it->second;
}

void DeviceFrontEnd::SetTextureStageState(uint32_t stage, StageState state, uint32_t value) {
    Noted({CallKind::SetTextureStageState, {stage, uint32_t(state), value}});
    // A setting the device cannot draw is refused rather than kept and ignored.
    if (StageSettingDrawable(stage, state, value)) m_stageStates[{stage, state}] = value;
}

uint32_t DeviceFrontEnd::GetTextureStageState(uint32_t stage, StageState state) const {
    auto it = m_stageStates.find({stage, state});
    return it != m_stageStates.end() ? it->second : DefaultTextureStageState(stage, state);
}

void DeviceFrontEnd::SetSamplerState(uint32_t sampler, SamplerState state, uint32_t value) {
    Noted({CallKind::SetSamplerState, {sampler, uint32_t(state), value}});
    m_samplerStates[{sampler, state}] = value;
}

uint32_t DeviceFrontEnd::GetSamplerState(uint32_t sampler, SamplerState state) const {
    auto it = m_samplerStates.find({sampler, state});
    return it != m_samplerStates.end() ? it->second : DefaultSamplerState(state);
}

void DeviceFrontEnd::SetTransform(TransformType type, const Matrix& m) {
    Noted({CallKind::SetTransform, {uint32_t(type)}});
    (type == TransformType::World ? m_world : type == TransformType::View ? m_view : m_projection) = m;
}

Matrix DeviceFrontEnd::GetTransform(TransformType type) const {
    return type == TransformType::World ? m_world : type == TransformType::View ? m_view : m_projection;
}

void DeviceFrontEnd::SetViewport(const Viewport& vp) {
    Noted({CallKind::SetViewport, {vp.x, vp.y, vp.width, vp.height}});
    m_viewport = vp;
}

Viewport DeviceFrontEnd::GetViewport() const {
    return m_viewport;
}

void DeviceFrontEnd::SetMaterial(const Material& m) {
    Noted({CallKind::SetMaterial});
    m_material = m;
}

void DeviceFrontEnd::SetTexture(uint32_t stage, std::shared_ptr<Texture> texture) {
    CallNote note{CallKind::SetTexture, {stage}};
    note.object = texture.get();
    Noted(note);
    if (stage < 8) m_textures[stage] = std::move(texture);
}

std::shared_ptr<Texture> DeviceFrontEnd::GetTexture(uint32_t stage) const {
    return stage < 8 ? m_textures[stage] : nullptr;
}

void DeviceFrontEnd::SetFVF(uint32_t fvf) {
    Noted({CallKind::SetFVF, {fvf}});
    m_fvf = fvf;
}

uint32_t DeviceFrontEnd::GetFVF() const {
    return m_fvf;
}

void DeviceFrontEnd::SetNoShaders() {
    Noted({CallKind::SetNoShaders});
}

void DeviceFrontEnd::SetStreamSource(uint32_t stream, std::shared_ptr<VertexBuffer> buffer, uint32_t offset,
                                     uint32_t stride) {
    CallNote note{CallKind::SetStreamSource, {stream, offset, stride}};
    note.object = buffer.get();
    Noted(note);
    if (stream != 0) return;
    m_stream = std::move(buffer);
    m_streamOffset = offset;
    m_streamStride = stride;
}

Result DeviceFrontEnd::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
    Noted({CallKind::DrawPrimitive, {uint32_t(type), startVertex, primitiveCount}});
    DrawCall draw{type, primitiveCount, VertexCountOf(type, primitiveCount), m_streamStride, startVertex};
    const uint64_t end = m_streamOffset + (uint64_t(startVertex) + draw.vertexCount) * m_streamStride;
    if (!m_inScene || !m_stream || StrideOfFvf(m_fvf) == 0 || m_streamStride < StrideOfFvf(m_fvf) ||
        end > m_stream->GetLength()) {
        DrawRefused();
        return Result::InvalidCall;
    }
    draw.buffer = m_stream.get();
    draw.bufferOffset = m_streamOffset;
    DriverDraw(draw);
    return Result::Ok;
}

Result DeviceFrontEnd::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                       uint32_t stride) {
    Noted({CallKind::DrawPrimitiveUP, {uint32_t(type), primitiveCount}});
    if (!m_inScene || !vertices || StrideOfFvf(m_fvf) == 0 || stride < StrideOfFvf(m_fvf)) {
        DrawRefused();
        return Result::InvalidCall;
    }
    DrawCall draw{type, primitiveCount, VertexCountOf(type, primitiveCount), stride};
    draw.memory = static_cast<const uint8_t*>(vertices);
    DriverDraw(draw);
    // As Direct3D does, a draw from memory drops the stream-0 binding.
    m_stream.reset();
    m_streamOffset = m_streamStride = 0;
    return Result::Ok;
}

Result DeviceFrontEnd::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                     Format format, Pool pool, std::shared_ptr<Texture>* out) {
    Noted({CallKind::CreateTexture, {width, height, levels, usage, format, uint32_t(pool)}});
    if (!out) return Result::InvalidCall;
    out->reset();
    const uint32_t maxSize = std::min(kMaxTextureSize, DriverMaxTextureSize());
    if (width == 0 || height == 0 || width > maxSize || height > maxSize) return Result::InvalidCall;
    if (!IsDeviceTextureFormat(format) || !DriverHasFormat(format)) return Result::NotAvailable;
    if ((usage & kUsageRenderTarget) && (pool != Pool::Default || !FormatFitsUsage(format, usage)))
        return Result::InvalidCall;
    return DriverCreateTexture(width, height, LevelCountFor(width, height, levels), usage, format, pool, out);
}

Result DeviceFrontEnd::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                          std::shared_ptr<VertexBuffer>* out) {
    Noted({CallKind::CreateVertexBuffer, {length, usage, fvf, uint32_t(pool)}});
    if (!out) return Result::InvalidCall;
    out->reset();
    if (length == 0 || length > kMaxVertexBufferBytes) return Result::InvalidCall;
    return DriverCreateVertexBuffer(length, usage, fvf, pool, out);
}

bool DeviceFrontEnd::CheckTextureFormat(Format format, uint32_t usage) const {
    return IsDeviceTextureFormat(format) && FormatFitsUsage(format, usage) && DriverHasFormat(format);
}

std::shared_ptr<Surface> DeviceFrontEnd::GetRenderTarget() {
    return m_renderTarget;
}

Result DeviceFrontEnd::SetRenderTarget(std::shared_ptr<Surface> target) {
    CallNote note{CallKind::SetRenderTarget};
    note.object = target.get();
    Noted(note);
    // Render target 0 is the back buffer or level 0 of one of this device's render-target textures.
    auto* level = dynamic_cast<const LevelSurface*>(target.get());
    if (!target || !(target->GetDesc().usage & kUsageRenderTarget) || !OwnsSurface(target.get()) ||
        (level && level->level() != 0))
        return Result::InvalidCall;
    std::shared_ptr<Surface> previousTarget = std::move(m_renderTarget);
    const Viewport previousViewport = m_viewport;
    m_renderTarget = std::move(target);
    // As on Direct3D, a new render target gets a viewport covering it.
    const SurfaceDesc d = m_renderTarget->GetDesc();
    m_viewport = {0, 0, d.width, d.height, 0.0f, 1.0f};
    const Result r = DriverRenderTargetChanged();
    if (r != Result::Ok) {
        // A target the driver cannot draw into changes nothing.
        m_renderTarget = std::move(previousTarget);
        m_viewport = previousViewport;
        DriverRenderTargetChanged();
    }
    return r;
}

Result DeviceFrontEnd::GetRenderTargetData(Surface* renderTarget, Surface* destination) {
    Noted({CallKind::GetRenderTargetData});
    if (!OwnsSurface(renderTarget) || !OwnsSurface(destination)) return Result::InvalidCall;
    const SurfaceDesc s = renderTarget->GetDesc(), d = destination->GetDesc();
    if (s.width != d.width || s.height != d.height || s.format != d.format || d.pool != Pool::SystemMem ||
        !(s.usage & kUsageRenderTarget) || BytesPerPixel(d.format) != 4)
        return Result::InvalidCall;
    return DriverCopyRenderTarget(renderTarget, destination);
}

bool DeviceFrontEnd::ReadRenderTarget(Image* out) {
    return out && DriverReadRenderTarget(out);
}

bool DeviceFrontEnd::OwnsSurface(const Surface* surface) const {
    if (!surface) return false;
    if (surface == m_backBuffer.get()) return true;
    auto* level = dynamic_cast<const LevelSurface*>(surface);
    return level && level->memoryTexture() && level->memoryTexture()->Ledger() == m_ledger.get();
}

}  // namespace gfx
