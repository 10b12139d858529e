// The wall pass: the walls on the lower x and y edges of the window's cells, seen from both sides.
#include "world/WallRenderer.h"

#include "data/WorldMap.h"
#include "gfx/DXG.h"
#include "world/VelmRenderer.h"

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

}  // namespace

WallRenderer::WallRenderer() {
    m_texture.Load("data\\walls\\stone1.bmp", DXG::FROM_FILE, true, true);
}

WallRenderer::~WallRenderer() {
    m_texture.SRFree();
}

void WallRenderer::draw() {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    device->SetFVF(gfx::kFvfWorld);
    device->SetTexture(0, m_texture.GetDeviceTexture());

    m_vertices.clear();
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    windowBounds(x0, y0, x1, y1);
    for (std::int32_t y = y0; y <= y1; ++y) {
        for (std::int32_t x = x0; x <= x1; ++x) {
            if (!isCellVisible(x, y)) {
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
    if (!m_vertices.empty()) {
        device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, std::uint32_t(m_vertices.size() / 3),
                                m_vertices.data(), sizeof(gfx::WorldVertex));
    }
}
