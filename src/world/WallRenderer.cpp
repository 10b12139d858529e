// The wall pass: the walls on the lower x and y edges of the window's cells, seen from both sides.
#include "world/WallRenderer.h"

#include "data/WorldMap.h"
#include "gfx/DXG.h"
#include "world/OpaquePieces.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kAllColours = 0xF;

// Two triangles from (ax, ay) to (bx, by), z 0 to 1; v = 0 (the image's first row) at the foot.
void AppendWall(std::vector<gfx::WorldVertex>& out, float ax, float ay, float bx, float by) {
    const gfx::WorldVertex wall[6] = {
        {ax, ay, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 0.0f, 0.0f},
        {bx, by, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 1.0f, 0.0f},
        {ax, ay, 1.0f, 0.0f, 0.0f, -1.0f, kWhite, 0.0f, 1.0f},
        {ax, ay, 1.0f, 0.0f, 0.0f, -1.0f, kWhite, 0.0f, 1.0f},
        {bx, by, 0.0f, 0.0f, 0.0f, -1.0f, kWhite, 1.0f, 0.0f},
        {bx, by, 1.0f, 0.0f, 0.0f, -1.0f, kWhite, 1.0f, 1.0f},
    };
    out.insert(out.end(), wall, wall + 6);
}

}  // namespace

WallRenderer::WallRenderer() : m_walls(kMostVertices) {
    m_texture.Load("data\\walls\\stone1.bmp", DXG::FROM_FILE, true, true);
}

WallRenderer::~WallRenderer() {
    m_texture.SRFree();
}

void WallRenderer::build(const WorldView& view) {
    m_vertices.clear();
    for (std::int32_t y = view.y0; y <= view.y1; ++y) {
        for (std::int32_t x = view.x0; x <= view.x1; ++x) {
            // A cell's walls stand inside its box from the floor to height 1.
            if (!view.contains(x, y) || !view.cellMayShow(x, y, 1.0f)) {
                continue;
            }
            const float left = float(x) - 0.5f, right = float(x) + 0.5f;
            const float top = float(y) - 0.5f, bottom = float(y) + 0.5f;
            if (getWallLowX(x, y) != 0) {
                AppendWall(m_vertices, left, top, left, bottom);
            }
            if (getWallLowY(x, y) != 0) {
                AppendWall(m_vertices, left, top, right, top);
            }
        }
    }
    m_walls.store(m_vertices, view, 0);
}

bool WallRenderer::opaque(const gfx::Device& device) const {
    const gfx::Texture* texture = m_texture.GetDeviceTexture().get();
    return texture != nullptr && OpaqueFormat(texture->GetLevelDesc(0).format) &&
           StatesReplaceByDepth(device);
}

void WallRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetFVF(gfx::kFvfWorld);
    device->SetTexture(0, m_texture.GetDeviceTexture());
    if (!m_walls.upToDate(view, 0)) {
        build(view);
    }
    if (m_walls.triangles() == 0) {
        return;
    }
    if (!opaque(*device)) {
        m_walls.draw(*device);
        return;
    }
    // The walls' depths first, without colour or texture; then the same walls in the same order, textured
    // only where their depth is the one that stayed. Each visible wall pixel is textured once, and of walls
    // at the same depth the last one drawn still wins, as with one pass under "less or equal". The shader
    // computes positions invariantly, so both passes meet at equal depths.
    device->SetRenderState(gfx::RenderState::ColorWriteEnable, 0);
    device->SetTexture(0, nullptr);
    m_walls.draw(*device);
    device->SetTexture(0, m_texture.GetDeviceTexture());
    device->SetRenderState(gfx::RenderState::ColorWriteEnable, kAllColours);
    device->SetRenderState(gfx::RenderState::ZWriteEnable, 0);
    device->SetRenderState(gfx::RenderState::ZFunc, gfx::cmp::Equal);
    m_walls.draw(*device);
    device->SetRenderState(gfx::RenderState::ZFunc, gfx::cmp::LessEqual);
    device->SetRenderState(gfx::RenderState::ZWriteEnable, 1);
}
