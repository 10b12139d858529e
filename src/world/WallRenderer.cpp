// The wall pass: the walls on the lower x and y edges of the window's cells, seen from both sides.
#include "world/WallRenderer.h"

#include "data/WorldMap.h"
#include "gfx/DXG.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

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

constexpr std::uint32_t kAllColours = 0xF;

// Whether the walls can be drawn depth first with the same picture: a wall pixel's colour is then the
// last wall fragment at the nearest depth, which holds when every wall fragment covers what is under it
// (a texture without alpha and opaque white vertices: blending and the alpha test change nothing) and
// the depth test is "less or equal" with depth writes on.
bool DepthFirst(const gfx::Device& device, const gfx::Texture* texture) {
    if (texture == nullptr || device.GetRenderState(gfx::RenderState::ZEnable) == 0 ||
        device.GetRenderState(gfx::RenderState::ZWriteEnable) == 0 ||
        device.GetRenderState(gfx::RenderState::ZFunc) != gfx::cmp::LessEqual ||
        device.GetRenderState(gfx::RenderState::ColorWriteEnable) != kAllColours) {
        return false;
    }
    const gfx::Format format = texture->GetLevelDesc(0).format;
    return format == gfx::fmt::X8R8G8B8 || format == gfx::fmt::R5G6B5 || format == gfx::fmt::X1R5G5B5;
}

}  // namespace

WallRenderer::WallRenderer() {
    m_texture.Load("data\\walls\\stone1.bmp", DXG::FROM_FILE, true, true);
}

WallRenderer::~WallRenderer() {
    m_texture.SRFree();
}

void WallRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetFVF(gfx::kFvfWorld);
    device->SetTexture(0, m_texture.GetDeviceTexture());

    m_vertices.clear();
    for (std::int32_t y = view.y0; y <= view.y1; ++y) {
        for (std::int32_t x = view.x0; x <= view.x1; ++x) {
            const float left = float(x) - 0.5f, right = float(x) + 0.5f;
            const float top = float(y) - 0.5f, bottom = float(y) + 0.5f;
            if (!view.contains(x, y)) {
                continue;
            }
            if (getWallLowX(x, y) != 0) {
                AppendWall(m_vertices, left, top, left, bottom);
            }
            if (getWallLowY(x, y) != 0) {
                AppendWall(m_vertices, left, top, right, top);
            }
        }
    }
    if (m_vertices.empty()) {
        return;
    }
    const std::uint32_t triangles = std::uint32_t(m_vertices.size() / 3);
    if (!DepthFirst(*device, m_texture.GetDeviceTexture().get())) {
        device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, triangles, m_vertices.data(),
                                sizeof(gfx::WorldVertex));
        return;
    }
    // The walls' depths first, without colour or texture; then the same walls in the same order, textured
    // only where their depth is the one that stayed. Each visible wall pixel is textured once, and of walls
    // at the same depth the last one drawn still wins, as with one pass under "less or equal". The shader
    // computes positions invariantly, so both passes meet at equal depths.
    device->SetRenderState(gfx::RenderState::ColorWriteEnable, 0);
    device->SetTexture(0, nullptr);
    device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, triangles, m_vertices.data(),
                            sizeof(gfx::WorldVertex));
    device->SetTexture(0, m_texture.GetDeviceTexture());
    device->SetRenderState(gfx::RenderState::ColorWriteEnable, kAllColours);
    device->SetRenderState(gfx::RenderState::ZWriteEnable, 0);
    device->SetRenderState(gfx::RenderState::ZFunc, gfx::cmp::Equal);
    device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, triangles, m_vertices.data(),
                            sizeof(gfx::WorldVertex));
    device->SetRenderState(gfx::RenderState::ZFunc, gfx::cmp::LessEqual);
    device->SetRenderState(gfx::RenderState::ZWriteEnable, 1);
}
