// The front end's render, stage and sampler states as OpenGL states and a shader program, applied before
// each draw by difference against what was last sent.
#include <algorithm>
#include <array>
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

// Whether the stage's alpha is exactly 1 on every fragment: each argument it reads is an opaque texture
// or vertices whose alpha bytes are all 0xFF (1 times 1 is 1 exactly).
bool AlphaIsOne(const ShaderKey& key, bool textureOpaque, bool verticesOpaque) {
    if (!key.texture) return verticesOpaque;
    auto arg = [&](uint32_t a) { return a == targ::Texture ? textureOpaque : verticesOpaque; };
    switch (key.alphaOp) {
    case top::SelectArg1: return arg(key.alphaArg1);
    case top::SelectArg2: return arg(key.alphaArg2);
    case top::Modulate: return arg(key.alphaArg1) && arg(key.alphaArg2);
    default: return verticesOpaque;
    }
}

// The alpha test's verdict for an alpha of 255.
bool OpaquePasses(uint32_t func, uint32_t ref) {
    switch (func) {
    case cmp::Never: return false;
    case cmp::Less: return 255 < ref;
    case cmp::Equal: return 255 == ref;
    case cmp::LessEqual: return 255 <= ref;
    case cmp::Greater: return 255 > ref;
    case cmp::NotEqual: return 255 != ref;
    default: return true;
    }
}

// Modulating the texture by opaque white vertices selects the texture: the multiply goes, the picture stays.
void SelectTextureOverWhite(uint32_t& op, uint32_t& arg1, uint32_t& arg2) {
    if (op != top::Modulate || (arg1 == targ::Texture) == (arg2 == targ::Texture)) return;
    op = arg1 == targ::Texture ? top::SelectArg1 : top::SelectArg2;
    arg1 = arg2 = targ::Texture;
}

template <class T>
bool Changed(bool valid, T& last, const T& now) {
    if (valid && last == now) return false;
    last = now;
    return true;
}

}  // namespace

void GlDevice::InvalidateAppliedStates() {
    m_applied.valid = false;
    m_program = nullptr;
}

bool GlDevice::ApplyStates(VertexColours colours) {
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
    // Where every fragment's alpha is exactly 1, blending source over destination by that alpha and an
    // alpha test that 255 passes change nothing: both go, and with them the destination reads and the
    // discards that keep the rasteriser from testing depth early.
    const bool alphaOne = AlphaIsOne(key, key.texture && texture->Opaque(), colours.opaque);
    const uint32_t alphaFunc = rs(RenderState::AlphaFunc);
    const uint32_t alphaRef = rs(RenderState::AlphaRef) & 0xFF;
    if (rs(RenderState::AlphaTestEnable) && alphaFunc >= cmp::Never && alphaFunc < cmp::Always &&
        !(alphaOne && OpaquePasses(alphaFunc, alphaRef)))
        key.alphaFunc = alphaFunc;
    const uint32_t srcBlend = rs(RenderState::SrcBlend), destBlend = rs(RenderState::DestBlend);
    const bool blending = rs(RenderState::AlphaBlendEnable) &&
                          !(alphaOne && srcBlend == blend::SrcAlpha && destBlend == blend::InvSrcAlpha);
    if (key.texture && colours.white && !key.lighting) {
        SelectTextureOverWhite(key.colourOp, key.colourArg1, key.colourArg2);
        SelectTextureOverWhite(key.alphaOp, key.alphaArg1, key.alphaArg2);
    }
    std::string error;
    const ShaderProgram* program = m_shaders.Get(key, &error);
    if (!program) return false;
    if (program != m_program) {
        glUseProgram(program->program);
        m_program = program;
    }

    // Each OpenGL state is sent only when it differs from what was last sent.
    AppliedStates& a = m_applied;
    const bool valid = a.valid;
    a.valid = true;
    if (Changed(valid, a.viewport, m_viewport)) {
        glViewport(GLint(m_viewport.x), GLint(m_viewport.y), GLsizei(m_viewport.width),
                   GLsizei(m_viewport.height));
        glDepthRange(m_viewport.minZ, m_viewport.maxZ);
    }
    if (Changed(valid, a.depthTest, rs(RenderState::ZEnable) != 0))
        a.depthTest ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    if (Changed(valid, a.depthWrite, rs(RenderState::ZWriteEnable) != 0))
        glDepthMask(a.depthWrite ? GL_TRUE : GL_FALSE);
    if (Changed(valid, a.depthFunc, rs(RenderState::ZFunc))) glDepthFunc(CompareFunc(a.depthFunc));
    if (Changed(valid, a.blend, blending)) a.blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    if (Changed(valid, a.blendFactors, srcBlend << 16 | destBlend))
        glBlendFunc(BlendFactor(srcBlend), BlendFactor(destBlend));
    if (Changed(valid, a.cullMode, rs(RenderState::CullMode))) ApplyCullMode(a.cullMode);
    if (Changed(valid, a.fillMode, rs(RenderState::FillMode)))
        glPolygonMode(GL_FRONT_AND_BACK, a.fillMode == fill::Wireframe ? GL_LINE
                                         : a.fillMode == fill::Point   ? GL_POINT
                                                                       : GL_FILL);
    if (Changed(valid, a.colourWrite, rs(RenderState::ColorWriteEnable) & 0xF))
        glColorMask(a.colourWrite & 1 ? GL_TRUE : GL_FALSE, a.colourWrite & 2 ? GL_TRUE : GL_FALSE,
                    a.colourWrite & 4 ? GL_TRUE : GL_FALSE, a.colourWrite & 8 ? GL_TRUE : GL_FALSE);

    // Texture uploads bind textures too, so the binding is not taken from memory.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, key.texture ? texture->id() : 0);
    // A texture of one level samples the same without a mipmap filter, and the rasteriser then need not
    // choose a level per pixel.
    const uint32_t mipFilter = key.texture && texture->GetLevelCount() == 1
                                   ? filter::None
                                   : GetSamplerState(0, SamplerState::MipFilter);
    if (Changed(valid, a.minFilter, MinFilter(GetSamplerState(0, SamplerState::MinFilter), mipFilter)))
        glSamplerParameteri(m_sampler, GL_TEXTURE_MIN_FILTER, a.minFilter);
    if (Changed(
            valid, a.magFilter,
            GLint(GetSamplerState(0, SamplerState::MagFilter) == filter::Linear ? GL_LINEAR : GL_NEAREST)))
        glSamplerParameteri(m_sampler, GL_TEXTURE_MAG_FILTER, a.magFilter);
    if (Changed(valid, a.wrapS, Wrap(GetSamplerState(0, SamplerState::AddressU))))
        glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_S, a.wrapS);
    if (Changed(valid, a.wrapT, Wrap(GetSamplerState(0, SamplerState::AddressV))))
        glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_T, a.wrapT);

    // A program keeps its uniforms, so each is sent when it differs from the program's last value.
    ProgramUniforms& u = program->uniforms;
    if (Changed(u.valid, u.alphaRef, GLint(alphaRef))) glUniform1i(program->alphaRef, u.alphaRef);
    const std::array<float, 3> emissive{m_material.emissive.r, m_material.emissive.g, m_material.emissive.b};
    if (Changed(u.valid, u.emissive, emissive)) glUniform3fv(program->emissive, 1, emissive.data());
    const std::array<float, 4> viewport{float(m_viewport.x), float(m_viewport.y), float(m_viewport.width),
                                        float(m_viewport.height)};
    if (Changed(u.valid, u.viewport, viewport)) glUniform4fv(program->viewport, 1, viewport.data());
    if (!key.pretransformed) {
        const Matrix wvp = WorldViewProjection(m_world, m_view, m_projection);
        std::array<float, 16> m;
        std::copy(wvp.m, wvp.m + 16, m.begin());
        if (Changed(u.valid, u.worldViewProjection, m))
            glUniformMatrix4fv(program->worldViewProjection, 1, GL_FALSE, m.data());
    }
    u.valid = true;
    return true;
}

}  // namespace gfx
