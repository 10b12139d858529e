// The conditions under which an opaque pass's pixels depend only on depth, not on what was drawn first.
#include "world/OpaquePieces.h"

bool OpaqueFormat(gfx::Format format) {
    return format == gfx::fmt::X8R8G8B8 || format == gfx::fmt::R5G6B5 || format == gfx::fmt::X1R5G5B5;
}

bool StatesReplaceByDepth(const gfx::Device& device) {
    using gfx::RenderState;
    auto state = [&device](RenderState s) { return device.GetRenderState(s); };
    const std::uint32_t alphaFunc = state(RenderState::AlphaFunc), alphaRef = state(RenderState::AlphaRef);
    const bool alphaPasses = state(RenderState::AlphaTestEnable) == 0 || alphaFunc == gfx::cmp::Always ||
                             alphaFunc == gfx::cmp::GreaterEqual ||
                             (alphaFunc == gfx::cmp::Greater && (alphaRef & 0xFF) < 0xFF);
    const bool blendKeeps = state(RenderState::AlphaBlendEnable) == 0 ||
                            (state(RenderState::SrcBlend) == gfx::blend::SrcAlpha &&
                             state(RenderState::DestBlend) == gfx::blend::InvSrcAlpha);
    return state(RenderState::ZEnable) != 0 && state(RenderState::ZWriteEnable) != 0 &&
           state(RenderState::ZFunc) == gfx::cmp::LessEqual && state(RenderState::ColorWriteEnable) == 0xF &&
           alphaPasses && blendKeeps;
}
