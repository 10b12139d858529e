// Each primitive builds its few vertices on the stack and draws them from memory, with depth testing off
// for the draw (except the world line) and the previous state restored afterwards.
#include "gfx/Primitives.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "gfx/DXG.h"
#include "gfx/Texture.h"
#include "runtime/CallStack.h"

namespace DXG {
namespace {

using gfx::PrimitiveType;
using gfx::RenderState;
using gfx::ScreenVertex;
using gfx::WorldVertex;

// The device when drawing may go ahead: not before Init (reported under the operation's name) and not
// while the device is lost (silently).
gfx::Device* DrawingDevice(const char* operation) {
    if (!IsReady()) {
        ReportMisuse(
            std::string("Error: ") + operation + " used when graphics foundation is not initialized.\n",
            kCallMadeFrom);
        return nullptr;
    }
    if (IsDeviceLost()) return nullptr;
    return GetDevice();
}

bool RefuseBlank(const Texture& texture) {
    if (!texture.IsBlank()) return false;
    ReportMisuse("Error: Attempt to draw using a blank texture.\n", kAttemptMadeFrom);
    return true;
}

ScreenVertex Screen(float x, float y, uint32_t colour, float u = 0, float v = 0) {
    return ScreenVertex{x, y, 0.0f, 1.0f, colour, u, v};
}

// Sets texture, shaders and vertex format, draws with the depth test off (and culling off when asked),
// and restores what it changed.
template <class Vertex>
void Draw(gfx::Device* device, std::shared_ptr<gfx::Texture> texture, uint32_t fvf, PrimitiveType type,
          uint32_t count, const Vertex* vertices, bool depthOff, bool cullOff) {
    device->SetTexture(0, std::move(texture));
    device->SetNoShaders();
    device->SetFVF(fvf);
    uint32_t depth = device->GetRenderState(RenderState::ZEnable);
    uint32_t cull = device->GetRenderState(RenderState::CullMode);
    if (depthOff) device->SetRenderState(RenderState::ZEnable, 0);
    if (cullOff) device->SetRenderState(RenderState::CullMode, gfx::cull::None);
    device->DrawPrimitiveUP(type, count, vertices, sizeof(Vertex));
    if (cullOff) device->SetRenderState(RenderState::CullMode, cull);
    if (depthOff) device->SetRenderState(RenderState::ZEnable, depth);
}

}  // namespace

uint32_t OpacityColour(float alpha) {
    float clamped = std::clamp(alpha, 0.0f, 1.0f);
    if (std::isnan(alpha)) clamped = 0.0f;
    return uint32_t(double(clamped) * 4278190080.0) | 0x00ffffffu;
}

uint32_t MeanColour(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = (a >> shift & 255) + (b >> shift & 255) + (c >> shift & 255) + (d >> shift & 255);
        out |= (sum / 4) << shift;
    }
    return out;
}

void DrawPoint(float x, float y, uint32_t colour) {
    gfx::Device* device = DrawingDevice("DXG::DrawPoint");
    if (device == nullptr) return;
    ScreenVertex v = Screen(x, y, colour);
    Draw(device, nullptr, gfx::kFvfScreen, PrimitiveType::PointList, 1, &v, true, false);
}

void DrawPoint(float x, float y, float z, uint32_t colour) {
    gfx::Device* device = DrawingDevice("DXG::DrawPoint");
    if (device == nullptr) return;
    WorldVertex v{x, y, z, 0, 0, 0, colour, 0, 0};
    Draw(device, nullptr, gfx::kFvfWorld, PrimitiveType::PointList, 1, &v, true, false);
}

void DrawLine(float x1, float y1, uint32_t colour1, float x2, float y2, uint32_t colour2) {
    gfx::Device* device = DrawingDevice("DXG::DrawLine");
    if (device == nullptr) return;
    ScreenVertex v[2] = {Screen(x1, y1, colour1), Screen(x2, y2, colour2)};
    Draw(device, nullptr, gfx::kFvfScreen, PrimitiveType::LineList, 1, v, true, false);
}

void DrawLine(float x1, float y1, float z1, uint32_t colour1, float x2, float y2, float z2,
              uint32_t colour2) {
    gfx::Device* device = DrawingDevice("DXG::DrawLine");
    if (device == nullptr) return;
    WorldVertex v[2] = {{x1, y1, z1, 0, 0, 0, colour1, 0, 0}, {x2, y2, z2, 0, 0, 0, colour2, 0, 0}};
    Draw(device, nullptr, gfx::kFvfWorld, PrimitiveType::LineList, 1, v, false, false);
}

void DrawGradient(float x, float y, float width, float height, uint32_t topLeft, uint32_t topRight,
                  uint32_t bottomLeft, uint32_t bottomRight) {
    gfx::Device* device = DrawingDevice("DXG::DrawGradient");
    if (device == nullptr) return;
    ScreenVertex v[6] = {
        Screen(x + width / 2, y + height / 2, MeanColour(topLeft, topRight, bottomLeft, bottomRight)),
        Screen(x, y, topLeft),
        Screen(x + width, y, topRight),
        Screen(x + width, y + height, bottomRight),
        Screen(x, y + height, bottomLeft),
        Screen(x, y, topLeft),
    };
    Draw(device, nullptr, gfx::kFvfScreen, PrimitiveType::TriangleFan, 4, v, true, false);
}

void DrawTriangleGradient(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1,
                          uint32_t colour2, uint32_t colour3) {
    gfx::Device* device = DrawingDevice("DXG::DrawTriangleGradient");
    if (device == nullptr) return;
    ScreenVertex v[3] = {Screen(x1, y1, colour1), Screen(x2, y2, colour2), Screen(x3, y3, colour3)};
    Draw(device, nullptr, gfx::kFvfScreen, PrimitiveType::TriangleList, 1, v, true, false);
}

void DrawTexture(float x, float y, const Texture& texture, float alpha) {
    gfx::Device* device = DrawingDevice("DXG::DrawTexture");
    if (device == nullptr || RefuseBlank(texture)) return;
    uint32_t colour = OpacityColour(alpha);
    float w = float(texture.GetWidth()), h = float(texture.GetHeight());
    float u0 = 0.5f / w, u1 = 1.0f - 0.5f / w, v0 = 0.5f / h, v1 = 1.0f - 0.5f / h;
    float left = x + 0.5f, top = y + 0.5f;
    ScreenVertex v[4] = {
        Screen(left, top, colour, u0, v0),
        Screen(left + w, top, colour, u1, v0),
        Screen(left + w, top + h, colour, u1, v1),
        Screen(left, top + h, colour, u0, v1),
    };
    Draw(device, texture.GetDeviceTexture(), gfx::kFvfScreen, PrimitiveType::TriangleFan, 2, v, true, false);
}

void DrawTexture(float centreX, float centreY, float angle, float scale, const Texture& texture,
                 float alpha) {
    gfx::Device* device = DrawingDevice("DXG::DrawTexture");
    if (device == nullptr || RefuseBlank(texture)) return;
    uint32_t colour = OpacityColour(alpha);
    float hw = float(texture.GetWidth()) * scale / 2, hh = float(texture.GetHeight()) * scale / 2;
    const float corners[4][4] = {{-hw, -hh, 0, 0}, {hw, -hh, 1, 0}, {hw, hh, 1, 1}, {-hw, hh, 0, 1}};
    float c = std::cos(angle), s = std::sin(angle);
    ScreenVertex v[4];
    for (int i = 0; i < 4; ++i) {
        float dx = corners[i][0], dy = corners[i][1];
        if (angle != 0.0f) {
            float rx = dx * c - dy * s, ry = dx * s + dy * c;
            dx = rx;
            dy = ry;
        }
        v[i] = Screen(centreX + dx, centreY + dy, colour, corners[i][2], corners[i][3]);
    }
    Draw(device, texture.GetDeviceTexture(), gfx::kFvfScreen, PrimitiveType::TriangleFan, 2, v, true, false);
}

void DrawStretchedTexture(float x1, float y1, float x2, float y2, const Texture& texture, float alpha) {
    gfx::Device* device = DrawingDevice("DXG::DrawStretchedTexture");
    if (device == nullptr || RefuseBlank(texture)) return;
    uint32_t colour = OpacityColour(alpha);
    ScreenVertex v[4] = {
        Screen(x1 + 0.5f, y1 + 0.5f, colour, 0, 0),
        Screen(x2 + 0.5f, y1 + 0.5f, colour, 1, 0),
        Screen(x2 + 0.5f, y2 + 0.5f, colour, 1, 1),
        Screen(x1 + 0.5f, y2 + 0.5f, colour, 0, 1),
    };
    Draw(device, texture.GetDeviceTexture(), gfx::kFvfScreen, PrimitiveType::TriangleFan, 2, v, true, true);
}

}  // namespace DXG
