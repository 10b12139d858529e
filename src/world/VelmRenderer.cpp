// The world renderer's process-wide state: camera, window of drawn cells, hover cell and the passes; the
// frame's view, transforms and the order of the passes.
#include "world/VelmRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "data/WorldMap.h"
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

struct RendererState {
    ViewWindow window;
    float yaw = kInitialYaw;
    std::int32_t hoverX = 0, hoverY = 0;
    FloorRenderer* floor = nullptr;
    CharacterRenderer* characters = nullptr;
    WallRenderer* walls = nullptr;
    ObjectRenderer* objects = nullptr;
    DreamMarkerRenderer* dreamMarkers = nullptr;
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

// Diffuse white, everything else 0: with lighting off the vertex colours are what is seen.
void SetWhiteMaterial(gfx::Device* device) {
    gfx::Material material;
    material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    device->SetMaterial(material);
}

template <class T>
void Delete(T*& renderer) {
    if (renderer) trackedDelete(renderer, VELM_SITE);
    renderer = nullptr;
}

const bool kRegistered = RegisterProcessState("world renderer", ReleaseState, kWorldState);

}  // namespace

WorldView CurrentWorldView() {
    const RendererState& s = State();
    return MakeWorldView(s.window, s.yaw, s.hoverX, s.hoverY);
}

bool createWorldRenderers() {
    RendererState& s = State();
    if (s.floor) destroyWorldRenderers();
    s.floor = track(new FloorRenderer(), "FloorRenderer", VELM_SITE);
    s.characters = track(new CharacterRenderer(), "CharacterRenderer", VELM_SITE);
    s.walls = track(new WallRenderer(), "WallRenderer", VELM_SITE);
    s.objects = track(new ObjectRenderer(), "ObjectRenderer", VELM_SITE);
    s.dreamMarkers = track(new DreamMarkerRenderer(), "DreamMarkerRenderer", VELM_SITE);
    return true;
}

void destroyWorldRenderers() {
    RendererState& s = State();
    // The main client scene ends only when the program does: the renderers' textures and font go while
    // the device still exists, so nothing is left for the leak report.
    Delete(s.floor);
    Delete(s.characters);
    Delete(s.walls);
    Delete(s.objects);
    Delete(s.dreamMarkers);
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

void renderWorld() {
    RendererState& s = State();
    gfx::Device* device = DXG::GetDevice();
    if (!device) return;
    const WorldView view = CurrentWorldView();
    device->SetTransform(gfx::TransformType::Projection, view.projection);
    device->SetTransform(gfx::TransformType::View, view.view);

    SetWhiteMaterial(device);
    if (s.floor && s.walls && s.floor->opaque(*device) && s.walls->opaque(*device)) {
        // Both passes replace what they cover, so each pixel ends as the nearest of floor and wall, the
        // wall where they are equally near (it came second). Drawn walls first and floors under "less",
        // every tie still goes to the wall, and floor hidden behind walls fails the depth test instead of
        // being textured and painted over. (A floor fragment is never as far as the cleared depth: the
        // window's cells lie well inside the far plane.)
        s.walls->draw(view);
        SetWhiteMaterial(device);
        device->SetRenderState(gfx::RenderState::ZFunc, gfx::cmp::Less);
        s.floor->draw(view);
        device->SetRenderState(gfx::RenderState::ZFunc, gfx::cmp::LessEqual);
    } else {
        if (s.floor) s.floor->draw(view);
        SetWhiteMaterial(device);
        if (s.walls) s.walls->draw(view);
    }
    SetWhiteMaterial(device);
    if (s.objects) s.objects->draw(view);
    SetWhiteMaterial(device);
    if (s.characters) s.characters->draw(view);
    if (s.dreamMarkers) s.dreamMarkers->draw(view);
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
    // Cell (gx, gy) covers [gx - 0.5, gx + 0.5] x [gy - 0.5, gy + 0.5]: the nearest cell centre.
    gx = static_cast<std::int32_t>(std::floor(x + 0.5f));
    gy = static_cast<std::int32_t>(std::floor(y + 0.5f));
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
    if (!floor || !CurrentWorldView().contains(gx, gy)) return false;
    floor->cellChanged();
    return true;
}

void setFloorTextures(const std::vector<DXG::Texture>& textures) {
    if (FloorRenderer* floor = State().floor) floor->setTextures(textures);
}
