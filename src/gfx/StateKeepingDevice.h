// The part of a device that only keeps states between calls (render, stage and sampler states,
// transforms, viewport, textures, vertex format, stream source), with Direct3D's defaults. Both devices
// derive from it; the recording device adds its records, the OpenGL device reads the states when it draws.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "gfx/Device.h"

namespace gfx {

class StateKeepingDevice : public Device {
public:
    // Initial render states, identity transforms, a viewport covering the back buffer.
    explicit StateKeepingDevice(const PresentParameters& params);

    void SetRenderState(RenderState state, uint32_t value) override;
    uint32_t GetRenderState(RenderState state) const override;
    void SetTextureStageState(uint32_t stage, StageState state, uint32_t value) override;
    uint32_t GetTextureStageState(uint32_t stage, StageState state) const override;
    void SetSamplerState(uint32_t sampler, SamplerState state, uint32_t value) override;
    uint32_t GetSamplerState(uint32_t sampler, SamplerState state) const override;
    void SetTransform(TransformType type, const Matrix& m) override;
    Matrix GetTransform(TransformType type) const override;
    void SetViewport(const Viewport& vp) override;
    Viewport GetViewport() const override;
    void SetTexture(uint32_t stage, std::shared_ptr<Texture> texture) override;
    std::shared_ptr<Texture> GetTexture(uint32_t stage) const override;
    void SetFVF(uint32_t fvf) override;
    uint32_t GetFVF() const override;
    // Only stream 0 is kept; the program draws from no other.
    void SetStreamSource(uint32_t stream, std::shared_ptr<VertexBuffer> buffer, uint32_t offset,
                         uint32_t stride) override;

protected:
    std::map<RenderState, uint32_t> m_renderStates;
    std::map<std::pair<uint32_t, StageState>, uint32_t> m_stageStates;
    std::map<std::pair<uint32_t, SamplerState>, uint32_t> m_samplerStates;
    Matrix m_world, m_view, m_projection;
    Viewport m_viewport;
    std::shared_ptr<Texture> m_textures[8];
    uint32_t m_fvf = 0;
    std::shared_ptr<VertexBuffer> m_stream;
    uint32_t m_streamOffset = 0, m_streamStride = 0;
};

}  // namespace gfx
