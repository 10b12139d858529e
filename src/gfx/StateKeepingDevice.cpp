// States kept between calls, shared by both devices.
#include "gfx/StateKeepingDevice.h"

namespace gfx {

namespace {
// Direct3D's initial render states; unset stage states: stage 0 modulates texture and diffuse (alpha
// selects the texture), other stages off; unset sampler states: wrap, point filtering, no mips.
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
    };
}

uint32_t DefaultTextureStageState(uint32_t stage, StageState state) {
    switch (state) {
    case StageState::ColorOp: return stage == 0 ? top::Modulate : top::Disable;
    case StageState::AlphaOp: return stage == 0 ? top::SelectArg1 : top::Disable;
    case StageState::ColorArg1:
    case StageState::AlphaArg1: return targ::Texture;
    default: return targ::Current;
    }
}

uint32_t DefaultSamplerState(SamplerState state) {
    if (state == SamplerState::AddressU || state == SamplerState::AddressV) return address::Wrap;
    return state == SamplerState::MipFilter ? filter::None : filter::Point;
}
}  // namespace

StateKeepingDevice::StateKeepingDevice(const PresentParameters& params)
    : m_renderStates(InitialRenderStates(params.enableAutoDepthStencil)),
      m_world(Matrix::Identity()),
      m_view(Matrix::Identity()),
      m_projection(Matrix::Identity()),
      m_viewport{0, 0, params.backBufferWidth, params.backBufferHeight, 0.0f, 1.0f} {}

void StateKeepingDevice::SetRenderState(RenderState state, uint32_t value) {
    m_renderStates[state] = value;
}

uint32_t StateKeepingDevice::GetRenderState(RenderState state) const {
    auto it = m_renderStates.find(state);
    return it == m_renderStates.end() ? 0 : it->second;
}

void StateKeepingDevice::SetTextureStageState(uint32_t stage, StageState state, uint32_t value) {
    m_stageStates[{stage, state}] = value;
}

uint32_t StateKeepingDevice::GetTextureStageState(uint32_t stage, StageState state) const {
    auto it = m_stageStates.find({stage, state});
    return it != m_stageStates.end() ? it->second : DefaultTextureStageState(stage, state);
}

void StateKeepingDevice::SetSamplerState(uint32_t sampler, SamplerState state, uint32_t value) {
    m_samplerStates[{sampler, state}] = value;
}

uint32_t StateKeepingDevice::GetSamplerState(uint32_t sampler, SamplerState state) const {
    auto it = m_samplerStates.find({sampler, state});
    return it != m_samplerStates.end() ? it->second : DefaultSamplerState(state);
}

void StateKeepingDevice::SetTransform(TransformType type, const Matrix& m) {
    (type == TransformType::World ? m_world : type == TransformType::View ? m_view : m_projection) = m;
}

Matrix StateKeepingDevice::GetTransform(TransformType type) const {
    return type == TransformType::World ? m_world : type == TransformType::View ? m_view : m_projection;
}

void StateKeepingDevice::SetViewport(const Viewport& vp) {
    m_viewport = vp;
}

Viewport StateKeepingDevice::GetViewport() const {
    return m_viewport;
}

void StateKeepingDevice::SetTexture(uint32_t stage, std::shared_ptr<Texture> texture) {
    if (stage < 8) m_textures[stage] = std::move(texture);
}

std::shared_ptr<Texture> StateKeepingDevice::GetTexture(uint32_t stage) const {
    return stage < 8 ? m_textures[stage] : nullptr;
}

void StateKeepingDevice::SetFVF(uint32_t fvf) {
    m_fvf = fvf;
}

uint32_t StateKeepingDevice::GetFVF() const {
    return m_fvf;
}

void StateKeepingDevice::SetStreamSource(uint32_t stream, std::shared_ptr<VertexBuffer> buffer,
                                         uint32_t offset, uint32_t stride) {
    if (stream != 0) return;
    m_stream = std::move(buffer);
    m_streamOffset = offset;
    m_streamStride = stride;
}

}  // namespace gfx
