// The world renderer's process-wide state: camera, window of drawn cells, hover cell, the sub-renderers,
// the label text and the dream marker texture; the frame's transforms and the order of the passes.
#include "world/VelmRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "data/WorldMap.h"
#include "gfx/CText.h"
#include "gfx/DXG.h"
#include "net/VelmDataManager.h"
#include "runtime/Keyboard.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"
#include "world/CharacterRenderer.h"
#include "world/DreamMarkers.h"
#include "world/FloorRenderer.h"
#include "world/ObjectRenderer.h"
#include "world/WallRenderer.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kInitialYaw = 0.7853982f;  // pi / 4
constexpr std::int32_t kWindowReach = 15;  // cells from the centre to the window's edge

struct RendererState {
    ViewWindow window;
    float yaw = kInitialYaw;
    std::int32_t hoverX = 0, hoverY = 0;
    FloorRenderer* floor = nullptr;
    CharacterRenderer* characters = nullptr;
    WallRenderer* walls = nullptr;
    ObjectRenderer* objects = nullptr;
    CText* labelText = nullptr;
    DXG::Texture dreamMarkerTexture;
};

RendererState& State() {
    static RendererState state;
    return state;
}

void ReleaseState() {
    destroyWorldRenderers();
    RendererState& s = State();
    s.window = ViewWindow{};
    s.yaw = kInitialYaw;
    s.hoverX = s.hoverY = 0;
}

// Direct3D's left-handed perspective projection (depth 0..1), in its row-vector layout.
gfx::Matrix PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    const float depthScale = zFar / (zFar - zNear);
    gfx::Matrix m{};
    m.m[0] = xScale;
    m.m[5] = yScale;
    m.m[10] = depthScale;
    m.m[11] = 1.0f;
    m.m[14] = -zNear * depthScale;
    return m;
}

gfx::Vector3 Subtract(const gfx::Vector3& a, const gfx::Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
gfx::Vector3 Cross(const gfx::Vector3& a, const gfx::Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const gfx::Vector3& a, const gfx::Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
gfx::Vector3 Normalised(const gfx::Vector3& v) {
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? gfx::Vector3{v.x / length, v.y / length, v.z / length} : v;
}

// Direct3D's left-handed look-at view transform, in its row-vector layout.
gfx::Matrix LookAtLH(const gfx::Vector3& eye, const gfx::Vector3& target, const gfx::Vector3& up) {
    const gfx::Vector3 zAxis = Normalised(Subtract(target, eye));
    const gfx::Vector3 xAxis = Normalised(Cross(up, zAxis));
    const gfx::Vector3 yAxis = Cross(zAxis, xAxis);
    return {{xAxis.x, yAxis.x, zAxis.x, 0.0f, xAxis.y, yAxis.y, zAxis.y, 0.0f, xAxis.z, yAxis.z, zAxis.z,
             0.0f, -Dot(xAxis, eye), -Dot(yAxis, eye), -Dot(zAxis, eye), 1.0f}};
}

// Diffuse white, everything else 0: with lighting off the vertex colours are what is seen.
void SetWhiteMaterial(gfx::Device* device) {
    gfx::Material material;
    material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    device->SetMaterial(material);
}

const bool kRegistered = RegisterProcessState("world renderer", ReleaseState, kWorldState);

}  // namespace

const ViewWindow& CurrentViewWindow() {
    return State().window;
}

bool createWorldRenderers() {
    RendererState& s = State();
    if (s.floor) destroyWorldRenderers();
    s.floor = track(new FloorRenderer(), "FloorRenderer", VELM_SITE);
    s.characters = track(new CharacterRenderer(), "CharacterRenderer", VELM_SITE);
    s.walls = track(new WallRenderer(), "WallRenderer", VELM_SITE);
    s.objects = track(new ObjectRenderer(), "ObjectRenderer", VELM_SITE);
    s.dreamMarkerTexture.Load("data\\misc\\dream0.dds", DXG::FROM_FILE, true, true);
    if (!s.labelText) s.labelText = track(new CText(), "CText", VELM_SITE);
    return true;
}

void destroyWorldRenderers() {
    RendererState& s = State();
    if (s.floor) trackedDelete(s.floor, VELM_SITE);
    if (s.characters) trackedDelete(s.characters, VELM_SITE);
    if (s.walls) trackedDelete(s.walls, VELM_SITE);
    if (s.objects) trackedDelete(s.objects, VELM_SITE);
    s.floor = nullptr;
    s.characters = nullptr;
    s.walls = nullptr;
    s.objects = nullptr;
    // The main client scene ends only when the program does: the label text and the dream marker texture
    // go now, while the device still exists, so nothing is left for the leak report.
    if (s.labelText) trackedDelete(s.labelText, VELM_SITE);
    s.labelText = nullptr;
    s.dreamMarkerTexture.SRFree();
}

void updateCamera(float dt) {
    RendererState& s = State();
    if (IsKeyDown(kScanKeypad4)) s.yaw -= dt * kPi;
    if (IsKeyDown(kScanKeypad6)) s.yaw += dt * kPi;
    if (IsKeyDown(kScanKeypad5)) s.yaw = kInitialYaw;
    if (s.yaw < 0.0f) s.yaw += kTwoPi;
    if (s.yaw > kTwoPi) s.yaw -= kTwoPi;
    mapSize(s.window.width, s.window.height);
    GetPlayerPosition(s.window.cx, s.window.cy);
}

float CameraYaw() {
    return State().yaw;
}

void SetCameraYaw(float yaw) {
    float& s = State().yaw;
    s = yaw;
    if (s < 0.0f) s += kTwoPi;
    if (s > kTwoPi) s -= kTwoPi;
}

bool isCellVisible(std::int32_t gx, std::int32_t gy) {
    const ViewWindow& w = State().window;
    return gx >= 0 && gx < w.width && gy >= 0 && gy < w.height && std::abs(gx - w.cx) <= kWindowReach &&
           std::abs(gy - w.cy) <= kWindowReach;
}

void windowBounds(std::int32_t& x0, std::int32_t& y0, std::int32_t& x1, std::int32_t& y1) {
    const ViewWindow& w = State().window;
    x0 = std::max(w.cx - kWindowReach, 0);
    y0 = std::max(w.cy - kWindowReach, 0);
    x1 = std::min(w.cx + kWindowReach, w.width - 1);
    y1 = std::min(w.cy + kWindowReach, w.height - 1);
}

void renderWorld() {
    RendererState& s = State();
    gfx::Device* device = DXG::GetDevice();
    if (!device) return;
    device->SetTransform(gfx::TransformType::Projection, PerspectiveFovLH(1.57f, 1.3333334f, 1.0f, 100.0f));
    const float cx = float(s.window.cx), cy = float(s.window.cy);
    const gfx::Vector3 eye{cx + 1.7f * std::cos(s.yaw), cy + 1.7f * std::sin(s.yaw), 4.0f};
    device->SetTransform(gfx::TransformType::View, LookAtLH(eye, {cx, cy, 0.0f}, {0.0f, 0.0f, 1.0f}));

    SetWhiteMaterial(device);
    if (s.floor) s.floor->draw();
    SetWhiteMaterial(device);
    if (s.walls) s.walls->draw();
    SetWhiteMaterial(device);
    if (s.objects) s.objects->draw();
    SetWhiteMaterial(device);
    if (s.characters) s.characters->draw();
    drawDreamMarkers();
}

bool pickCell(std::int32_t sx, std::int32_t sy, std::int32_t& gx, std::int32_t& gy) {
    gfx::Device* device = DXG::GetDevice();
    if (!device) return false;
    const gfx::Matrix savedWorld = device->GetTransform(gfx::TransformType::World);
    device->SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    gfx::Vector3 nearPoint, farPoint;
    DXG::ScreenToWorld(float(sx), float(sy), 0.0f, &nearPoint);
    DXG::ScreenToWorld(float(sx), float(sy), 1.0f, &farPoint);
    device->SetTransform(gfx::TransformType::World, savedWorld);

    // The floor is the plane z = 0 with the unit normal (0, 0, 1).
    const gfx::Vector3 ray{farPoint.x - nearPoint.x, farPoint.y - nearPoint.y, farPoint.z - nearPoint.z};
    const float normalDotRay = ray.z;
    if (std::fabs(normalDotRay) < 0.0001f) return false;
    const float t = -nearPoint.z / normalDotRay;
    const float x = nearPoint.x + t * ray.x, y = nearPoint.y + t * ray.y;
    // A ray that grazes the floor meets it beyond any cell number (or not at all, for a degenerate view).
    constexpr float kLimit = 2.0e9f;
    if (!(std::fabs(x) < kLimit && std::fabs(y) < kLimit)) return false;
    gx = static_cast<std::int32_t>(x);
    gy = static_cast<std::int32_t>(y);
    return true;
}

void setHoverCell(std::int32_t gx, std::int32_t gy) {
    State().hoverX = gx;
    State().hoverY = gy;
}

void hoverCell(std::int32_t& gx, std::int32_t& gy) {
    gx = State().hoverX;
    gy = State().hoverY;
}

bool notifyCellChanged(std::int32_t gx, std::int32_t gy) {
    FloorRenderer* floor = State().floor;
    return floor && floor->cellChanged(gx, gy);
}

void setFloorTextures(const std::vector<DXG::Texture>& textures) {
    if (FloorRenderer* floor = State().floor) floor->setTextures(textures);
}

DXG::Texture& DreamMarkerTexture() {
    return State().dreamMarkerTexture;
}

CText* LabelText() {
    return State().labelText;
}
