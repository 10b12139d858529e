// The avatar pass: a triangle per visible avatar, in the order of the character list, so that a later
// avatar on the same cell blends over an earlier one.
#include "world/CharacterRenderer.h"

#include "data/ColorTables.h"
#include "gfx/DXG.h"
#include "net/VelmDataManager.h"

namespace {

constexpr float kHeight = 0.3f;  // the triangles float above the floor
constexpr float kReach = 0.2f;   // from the cell centre to the tip and to the rear corners
constexpr int kFurColour = 0;    // index of the fur colour in the avatar's colours
constexpr int kVestColour = 5;

struct Point {
    float x, y;
};

// Tip, then the two rear corners, for the facing code: 0 toward -y, 2 toward +y, 3 toward +x, any
// other code toward -x.
void Corners(std::int32_t direction, float x, float y, Point out[3]) {
    const float r = kReach;
    switch (direction) {
    case 0:
        out[0] = {x, y - r};
        out[1] = {x + r, y + r};
        out[2] = {x - r, y + r};
        break;
    case 2:
        out[0] = {x, y + r};
        out[1] = {x - r, y - r};
        out[2] = {x + r, y - r};
        break;
    case 3:
        out[0] = {x + r, y};
        out[1] = {x - r, y + r};
        out[2] = {x - r, y - r};
        break;
    default:
        out[0] = {x - r, y};
        out[1] = {x + r, y - r};
        out[2] = {x + r, y + r};
        break;
    }
}

}  // namespace

void CharacterRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    device->SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device->SetFVF(gfx::kFvfWorld);

    m_vertices.clear();
    for (const CharacterRecord& avatar : CharacterList()) {
        const float x = float(avatar.x), y = float(avatar.y);
        if (!view.contains(avatar.x, avatar.y) ||
            !view.mayShow({x - kReach, y - kReach, kHeight}, {x + kReach, y + kReach, kHeight})) {
            continue;
        }
        // PartColor keeps indices the server sent outside 0..63 inside the table.
        const std::uint32_t tip = PartColor(kVest, avatar.colors[kVestColour]) | 0xFF000000u;
        const std::uint32_t rear = (PartColor(kFur, avatar.colors[kFurColour]) & 0x00FFFFFFu) | 0x80000000u;
        Point p[3];
        Corners(avatar.direction, x, y, p);
        m_vertices.push_back({p[0].x, p[0].y, kHeight, 0.0f, 0.0f, -1.0f, tip, 0.5f, 0.0f});
        m_vertices.push_back({p[1].x, p[1].y, kHeight, 0.0f, 0.0f, -1.0f, rear, 0.0f, 1.0f});
        m_vertices.push_back({p[2].x, p[2].y, kHeight, 0.0f, 0.0f, -1.0f, rear, 1.0f, 1.0f});
    }
    if (!m_vertices.empty()) {
        device->SetTexture(0, nullptr);
        device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, std::uint32_t(m_vertices.size() / 3),
                                m_vertices.data(), sizeof(gfx::WorldVertex));
    }
}
