// The front end's render, stage and sampler states as OpenGL states and a shader program, applied before
// each draw.
#include <string>

#include "gfx/gl/GlDevice.h"

namespace gfx {

namespace {

GLenum BlendFactor(uint32_t b) {
    switch (b) {
    case blend::Zero: return GL_ZERO;
    case blend::One: return GL_ONE;
    case blend::SrcColor: return GL_SRC_COLOR;
    case blend::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case blend::SrcAlpha: return GL_SRC_ALPHA;
    case blend::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    default: return GL_ONE;
    }
}

GLenum CompareFunc(uint32_t c) {
    switch (c) {
    case cmp::Never: return GL_NEVER;
    case cmp::Less: return GL_LESS;
    case cmp::Equal: return GL_EQUAL;
    case cmp::LessEqual: return GL_LEQUAL;
    case cmp::Greater: return GL_GREATER;
    case cmp::NotEqual: return GL_NOTEQUAL;
    case cmp::GreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

// Direct3D names the faces it culls by their winding as seen on the screen (rows top first). The upper-left
// clip origin turns OpenGL's window upside down and, by its definition, also negates the area that decides
// a face's winding; the two cancel, so a triangle keeps the winding Direct3D sees. Culling counter-clockwise
// faces therefore keeps the clockwise ones as front faces, and the other way round.
void ApplyCullMode(uint32_t mode) {
    if (mode == cull::None) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    glFrontFace(mode == cull::CW ? GL_CCW : GL_CW);
    glCullFace(GL_BACK);
}

GLint MinFilter(uint32_t min, uint32_t mip) {
    const bool linear = min == filter::Linear;
    if (mip == filter::Point) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (mip == filter::Linear) return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    return linear ? GL_LINEAR : GL_NEAREST;
}

GLint Wrap(uint32_t a) {
    return a == address::Clamp ? GL_CLAMP_TO_EDGE : a == address::Mirror ? GL_MIRRORED_REPEAT : GL_REPEAT;
}

}  // namespace

bool GlDevice::ApplyStates() {
    auto rs = [this](RenderState s) { return GetRenderState(s); };
    auto* texture = static_cast<GlTexture*>(m_textures[0].get());
    const uint32_t colourOp = GetTextureStageState(0, StageState::ColorOp);

    ShaderKey key;
    key.pretransformed = m_fvf == kFvfScreen;
    key.lighting = !key.pretransformed && rs(RenderState::Lighting) != 0;
    key.flat = rs(RenderState::ShadeMode) == shade::Flat;
    key.texture = texture && texture->id() && colourOp != top::Disable;
    if (key.texture) {
        key.colourOp = colourOp;
        key.colourArg1 = GetTextureStageState(0, StageState::ColorArg1);
        key.colourArg2 = GetTextureStageState(0, StageState::ColorArg2);
        key.alphaOp = GetTextureStageState(0, StageState::AlphaOp);
        key.alphaArg1 = GetTextureStageState(0, StageState::AlphaArg1);
        key.alphaArg2 = GetTextureStageState(0, StageState::AlphaArg2);
    }
    const uint32_t alphaFunc = rs(RenderState::AlphaFunc);
    if (rs(RenderState::AlphaTestEnable) && alphaFunc >= cmp::Never && alphaFunc < cmp::Always)
        key.alphaFunc = alphaFunc;
    std::string error;
    const ShaderProgram* program = m_shaders.Get(key, &error);
    if (!program) return false;
    if (program != m_program) {
        glUseProgram(program->program);
        m_program = program;
    }

    glViewport(GLint(m_viewport.x), GLint(m_viewport.y), GLsizei(m_viewport.width),
               GLsizei(m_viewport.height));
    glDepthRange(m_viewport.minZ, m_viewport.maxZ);
    if (rs(RenderState::ZEnable))
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthMask(rs(RenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
    glDepthFunc(CompareFunc(rs(RenderState::ZFunc)));
    if (rs(RenderState::AlphaBlendEnable))
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glBlendFunc(BlendFactor(rs(RenderState::SrcBlend)), BlendFactor(rs(RenderState::DestBlend)));
    ApplyCullMode(rs(RenderState::CullMode));
    const uint32_t fillMode = rs(RenderState::FillMode);
    glPolygonMode(GL_FRONT_AND_BACK, fillMode == fill::Wireframe ? GL_LINE
                                     : fillMode == fill::Point   ? GL_POINT
                                                                 : GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, key.texture ? texture->id() : 0);
    glSamplerParameteri(
        m_sampler, GL_TEXTURE_MIN_FILTER,
        MinFilter(GetSamplerState(0, SamplerState::MinFilter), GetSamplerState(0, SamplerState::MipFilter)));
    glSamplerParameteri(
        m_sampler, GL_TEXTURE_MAG_FILTER,
        GetSamplerState(0, SamplerState::MagFilter) == filter::Linear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_S, Wrap(GetSamplerState(0, SamplerState::AddressU)));
    glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_T, Wrap(GetSamplerState(0, SamplerState::AddressV)));

    glUniform1i(program->alphaRef, GLint(rs(RenderState::AlphaRef) & 0xFF));
    glUniform3f(program->emissive, m_material.emissive.r, m_material.emissive.g, m_material.emissive.b);
    glUniform4f(program->viewport, float(m_viewport.x), float(m_viewport.y), float(m_viewport.width),
                float(m_viewport.height));
    if (!key.pretransformed) {
        const Matrix wvp = WorldViewProjection(m_world, m_view, m_projection);
        glUniformMatrix4fv(program->worldViewProjection, 1, GL_FALSE, wvp.m);
    }
    return true;
}

}  // namespace gfx
