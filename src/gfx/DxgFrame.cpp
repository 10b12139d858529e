// The graphics foundation's frame cycle: begin and end a frame, clear, the default states, and the
// lost device: its handlers, the wait while it cannot be reset and the reset once it may be.
#include <chrono>
#include <thread>

#include "gfx/DxgState.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"

namespace DXG {

namespace {

void CallDeviceLostHandlers(State& s) {
    if (s.deviceLost) return;
    s.deviceLost = true;
    // A handler may register another; index so the list may grow while it is walked.
    for (size_t i = 0; i < s.handlers.size(); ++i) s.handlers[i]();
}

}  // namespace

bool BeginFrame(float seconds, bool countFrame, bool tryReset) {
    State& s = S();
    if (!s.ready) {
        ReportMisuse("Error: DXG::BeginFrame used when graphics foundation is not initialized.\n",
                     kCallMadeFrom);
        return false;
    }
    if (s.inFrame) {
        ReportMisuse("Error: Previous BeginFrame call was not matched with an EndFrame call\n",
                     "  -2nd call made from:\n");
        return false;
    }
    gfx::Result level = s.device->TestCooperativeLevel();
    if (level == gfx::Result::Ok) {
        if (!gfx::Succeeded(s.device->BeginScene())) return false;
        s.deviceLost = false;
        s.inFrame = true;
        if (countFrame) {
            s.frames += 1;
            s.seconds += seconds;
        }
        return true;
    }
    CallDeviceLostHandlers(s);
    if (level == gfx::Result::DeviceLost) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return false;
    }
    if (level != gfx::Result::DeviceNotReset || !tryReset) return false;
    gfx::Result r = s.device->Reset(s.params);
    if (r == gfx::Result::DriverInternalError) {
        s.failed = true;
        errorLog.Write("Internal graphics driver error occured\n");
        return false;
    }
    if (r == gfx::Result::OutOfVideoMemory) {
        s.failed = true;
        errorLog.Write("Graphics device out of memory\n");
        return false;
    }
    if (!gfx::Succeeded(r)) return false;
    if (!gfx::Succeeded(s.device->BeginScene())) return false;
    s.deviceLost = false;
    s.inFrame = true;
    SetDefaultRenderStates();
    return true;
}

void EndFrame0() {
    State& s = S();
    if (!s.ready)
        ReportMisuse("Error: DXG::EndFrame0 used when graphics foundation is not initialized.\n",
                     kCallMadeFrom);
    if (s.inFrame) {
        s.device->EndScene();
        s.inFrame = false;
    } else {
        errorLog.Write("EndFrame should not be called if BeginFrame was not successfully called before.\n");
    }
}

void EndFrame1() {
    State& s = S();
    if (!s.ready) {
        ReportMisuse("Error: DXG::EndFrame1 used when graphics foundation is not initialized.\n",
                     kCallMadeFrom);
        return;
    }
    s.device->Present();
}

void Clear(uint32_t colour, bool clearColour, bool clearDepth) {
    State& s = S();
    if (!s.ready || s.deviceLost) return;
    uint32_t flags = (clearColour ? gfx::kClearTarget : 0) | (clearDepth ? gfx::kClearZBuffer : 0);
    if (gfx::HasStencil(s.depthFormat)) flags |= gfx::kClearStencil;
    s.device->Clear(flags, colour, 1.0f, 0);
}

void SetDefaultRenderStates() {
    State& s = S();
    if (!s.ready || s.deviceLost) return;
    gfx::Device* d = s.device.get();
    using gfx::RenderState;
    d->SetRenderState(RenderState::CullMode, gfx::cull::CCW);
    d->SetRenderState(RenderState::Lighting, 0);
    d->SetRenderState(RenderState::Clipping, 1);
    d->SetRenderState(RenderState::FillMode, gfx::fill::Solid);
    d->SetRenderState(RenderState::ShadeMode, gfx::shade::Gouraud);
    d->SetRenderState(RenderState::AlphaBlendEnable, 1);
    d->SetRenderState(RenderState::SrcBlend, gfx::blend::SrcAlpha);
    d->SetRenderState(RenderState::DestBlend, gfx::blend::InvSrcAlpha);
    d->SetRenderState(RenderState::AlphaTestEnable, 1);
    d->SetRenderState(RenderState::AlphaRef, 0);
    d->SetRenderState(RenderState::AlphaFunc, gfx::cmp::Greater);
    using gfx::StageState;
    d->SetTextureStageState(0, StageState::ColorOp, gfx::top::Modulate);
    d->SetTextureStageState(0, StageState::ColorArg1, gfx::targ::Texture);
    d->SetTextureStageState(0, StageState::ColorArg2, gfx::targ::Diffuse);
    d->SetTextureStageState(0, StageState::AlphaOp, gfx::top::Modulate);
    d->SetTextureStageState(0, StageState::AlphaArg1, gfx::targ::Texture);
    d->SetTextureStageState(0, StageState::AlphaArg2, gfx::targ::Diffuse);
    for (uint32_t stage = 1; stage < 8; ++stage) {
        d->SetTextureStageState(stage, StageState::ColorOp, gfx::top::Disable);
        d->SetTextureStageState(stage, StageState::AlphaOp, gfx::top::Disable);
    }
    SetTextureFilters(gfx::filter::Linear, gfx::filter::Linear);
    d->SetRenderState(RenderState::ZEnable, 1);
    d->SetRenderState(RenderState::ZFunc, gfx::cmp::LessEqual);
    d->SetRenderState(RenderState::StencilEnable, 0);
}

void SetTextureFilters(uint32_t minMagFilter, uint32_t mipFilter) {
    gfx::Device* d = S().device.get();
    if (!d) return;
    for (uint32_t sampler = 0; sampler < 16; ++sampler) {
        d->SetSamplerState(sampler, gfx::SamplerState::MipFilter, mipFilter);
        d->SetSamplerState(sampler, gfx::SamplerState::MinFilter, minMagFilter);
        d->SetSamplerState(sampler, gfx::SamplerState::MagFilter, minMagFilter);
    }
}

void AddDeviceLostHandler(DeviceLostHandler handler) {
    if (handler) S().handlers.push_back(handler);
}

}  // namespace DXG
