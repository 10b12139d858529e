// Call texts and code names of the recording device.
#include "testing/RecordedCallText.h"

#include <cstdio>

namespace gfx {

namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    snprintf(buf, sizeof buf, "%08X", v);
    return buf;
}

const char* StageStateName(StageState s) {
    switch (s) {
    case StageState::ColorOp: return "ColorOp";
    case StageState::ColorArg1: return "ColorArg1";
    case StageState::ColorArg2: return "ColorArg2";
    case StageState::AlphaOp: return "AlphaOp";
    case StageState::AlphaArg1: return "AlphaArg1";
    case StageState::AlphaArg2: return "AlphaArg2";
    }
    return "?";
}

const char* SamplerStateName(SamplerState s) {
    switch (s) {
    case SamplerState::AddressU: return "AddressU";
    case SamplerState::AddressV: return "AddressV";
    case SamplerState::MagFilter: return "MagFilter";
    case SamplerState::MinFilter: return "MinFilter";
    case SamplerState::MipFilter: return "MipFilter";
    }
    return "?";
}

const char* TransformName(TransformType t) {
    switch (t) {
    case TransformType::World: return "World";
    case TransformType::View: return "View";
    case TransformType::Projection: return "Projection";
    }
    return "?";
}

}  // namespace

const char* ResultName(Result r) {
    switch (r) {
    case Result::Ok: return "Ok";
    case Result::Fail: return "Fail";
    case Result::InvalidCall: return "InvalidCall";
    case Result::NotAvailable: return "NotAvailable";
    case Result::OutOfVideoMemory: return "OutOfVideoMemory";
    case Result::OutOfMemory: return "OutOfMemory";
    case Result::InvalidData: return "InvalidData";
    case Result::DeviceLost: return "DeviceLost";
    case Result::DeviceNotReset: return "DeviceNotReset";
    case Result::DriverInternalError: return "DriverInternalError";
    }
    return "?";
}

const char* RenderStateName(RenderState s) {
    switch (s) {
    case RenderState::ZEnable: return "ZEnable";
    case RenderState::FillMode: return "FillMode";
    case RenderState::ShadeMode: return "ShadeMode";
    case RenderState::ZWriteEnable: return "ZWriteEnable";
    case RenderState::AlphaTestEnable: return "AlphaTestEnable";
    case RenderState::SrcBlend: return "SrcBlend";
    case RenderState::DestBlend: return "DestBlend";
    case RenderState::CullMode: return "CullMode";
    case RenderState::ZFunc: return "ZFunc";
    case RenderState::AlphaRef: return "AlphaRef";
    case RenderState::AlphaFunc: return "AlphaFunc";
    case RenderState::AlphaBlendEnable: return "AlphaBlendEnable";
    case RenderState::StencilEnable: return "StencilEnable";
    case RenderState::Clipping: return "Clipping";
    case RenderState::Lighting: return "Lighting";
    case RenderState::ColorWriteEnable: return "ColorWriteEnable";
    }
    return "?";
}

const char* PrimitiveTypeName(PrimitiveType t) {
    switch (t) {
    case PrimitiveType::PointList: return "PointList";
    case PrimitiveType::LineList: return "LineList";
    case PrimitiveType::LineStrip: return "LineStrip";
    case PrimitiveType::TriangleList: return "TriangleList";
    case PrimitiveType::TriangleStrip: return "TriangleStrip";
    case PrimitiveType::TriangleFan: return "TriangleFan";
    }
    return "?";
}

std::string CallText(const CallNote& note, const void* backBuffer) {
    const uint32_t* v = note.v;
    auto n = [](uint32_t value) { return std::to_string(value); };
    const char* object = note.object ? "texture" : "null";
    char buf[128];
    std::string text;
    switch (note.kind) {
    case CallKind::TestCooperativeLevel: text = "TestCooperativeLevel"; break;
    case CallKind::Reset: text = "Reset"; break;
    case CallKind::BeginScene: text = "BeginScene"; break;
    case CallKind::EndScene: text = "EndScene"; break;
    case CallKind::Present: text = "Present"; break;
    case CallKind::Clear:
        snprintf(buf, sizeof buf, "Clear(%u,%s,%g,%u)", v[0], Hex(v[1]).c_str(), double(note.z), v[2]);
        text = buf;
        break;
    case CallKind::SetRenderState:
        text = std::string("SetRenderState(") + RenderStateName(RenderState(v[0])) + "," + n(v[1]) + ")";
        break;
    case CallKind::SetTextureStageState:
        text =
            "SetTextureStageState(" + n(v[0]) + "," + StageStateName(StageState(v[1])) + "," + n(v[2]) + ")";
        break;
    case CallKind::SetSamplerState:
        text =
            "SetSamplerState(" + n(v[0]) + "," + SamplerStateName(SamplerState(v[1])) + "," + n(v[2]) + ")";
        break;
    case CallKind::SetTransform:
        text = std::string("SetTransform(") + TransformName(TransformType(v[0])) + ")";
        break;
    case CallKind::SetViewport:
        text = "SetViewport(" + n(v[0]) + "," + n(v[1]) + "," + n(v[2]) + "," + n(v[3]) + ")";
        break;
    case CallKind::SetMaterial: text = "SetMaterial"; break;
    case CallKind::SetTexture: text = "SetTexture(" + n(v[0]) + "," + object + ")"; break;
    case CallKind::SetFVF:
        snprintf(buf, sizeof buf, "SetFVF(0x%X)", v[0]);
        text = buf;
        break;
    case CallKind::SetNoShaders: text = "SetNoShaders"; break;
    case CallKind::SetStreamSource:
        text = "SetStreamSource(" + n(v[0]) + "," + (note.object ? "buffer" : "null") + "," + n(v[1]) + "," +
               n(v[2]) + ")";
        break;
    case CallKind::DrawPrimitive:
        text = std::string("DrawPrimitive(") + PrimitiveTypeName(PrimitiveType(v[0])) + "," + n(v[1]) + "," +
               n(v[2]) + ")";
        break;
    case CallKind::DrawPrimitiveUP:
        text = std::string("DrawPrimitiveUP(") + PrimitiveTypeName(PrimitiveType(v[0])) + "," + n(v[1]) + ")";
        break;
    case CallKind::CreateTexture:
        text = "CreateTexture(" + n(v[0]) + "," + n(v[1]) + "," + n(v[2]) + "," + n(v[3]) + "," + n(v[4]) +
               "," + n(v[5]) + ")";
        break;
    case CallKind::CreateVertexBuffer:
        snprintf(buf, sizeof buf, "CreateVertexBuffer(%u,%u,0x%X,%u)", v[0], v[1], v[2], v[3]);
        text = buf;
        break;
    case CallKind::SetRenderTarget:
        text = std::string("SetRenderTarget(") +
               (note.object == backBuffer ? "backbuffer"
                : note.object             ? "texture"
                                          : "null") +
               ")";
        break;
    case CallKind::GetRenderTargetData: text = "GetRenderTargetData"; break;
    }
    return text;
}

}  // namespace gfx
