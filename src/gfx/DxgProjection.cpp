// Screen and world points through the device's viewport and its projection, view and world transforms,
// in Direct3D's left-handed, depth 0..1 conventions.
#include <cstring>
#include <glm/glm.hpp>

#include "gfx/DXG.h"
#include "runtime/CallStack.h"

namespace DXG {

namespace {

// The Direct3D row-vector matrix and GLM's column-vector matrix of a transform hold the same 16 floats.
glm::mat4 ToGlm(const gfx::Matrix& m) {
    glm::mat4 g;
    memcpy(&g[0][0], m.m, sizeof m.m);
    return g;
}

glm::mat4 WorldViewProjection(gfx::Device* d) {
    return ToGlm(gfx::WorldViewProjection(d->GetTransform(gfx::TransformType::World),
                                          d->GetTransform(gfx::TransformType::View),
                                          d->GetTransform(gfx::TransformType::Projection)));
}

gfx::Device* DeviceOrReport(const char* operation) {
    if (!IsReady()) {
        ReportMisuse(
            std::string("Error: ") + operation + " used when graphics foundation is not initialized.\n",
            kCallMadeFrom);
        return nullptr;
    }
    return GetDevice();
}

}  // namespace

gfx::Vector3* ScreenToWorld(float x, float y, float z, gfx::Vector3* out) {
    if (!out) return out;
    *out = gfx::Vector3();
    gfx::Device* d = DeviceOrReport("DXG::ScreenToWorld");
    if (!d) return out;
    gfx::Viewport vp = d->GetViewport();
    if (vp.width == 0 || vp.height == 0) return out;
    float depthRange = vp.maxZ - vp.minZ;
    glm::vec4 ndc((x - float(vp.x)) * 2.0f / float(vp.width) - 1.0f,
                  1.0f - (y - float(vp.y)) * 2.0f / float(vp.height),
                  depthRange != 0.0f ? (z - vp.minZ) / depthRange : 0.0f, 1.0f);
    glm::vec4 p = glm::inverse(WorldViewProjection(d)) * ndc;
    if (p.w == 0.0f) return out;
    *out = {p.x / p.w, p.y / p.w, p.z / p.w};
    return out;
}

void WorldToScreen(const gfx::Vector3& in, float* outX, float* outY) {
    gfx::Device* d = DeviceOrReport("DXG::WorldToScreen");
    if (!d) return;
    gfx::Viewport vp = d->GetViewport();
    glm::vec4 clip = WorldViewProjection(d) * glm::vec4(in.x, in.y, in.z, 1.0f);
    if (clip.w == 0.0f) return;
    glm::vec3 ndc = glm::vec3(clip) / clip.w;
    if (outX) *outX = float(vp.x) + (1.0f + ndc.x) * float(vp.width) / 2.0f;
    if (outY) *outY = float(vp.y) + (1.0f - ndc.y) * float(vp.height) / 2.0f;
}

}  // namespace DXG
