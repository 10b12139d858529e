// The dream marker pass: open cylinders around the marker cells, drawn without depth writes so that they
// hide nothing drawn after them, then the two-line labels above them in the label font.
#include "world/DreamMarkers.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gfx/CText.h"
#include "gfx/DXG.h"
#include "gfx/Device.h"
#include "gfx/Texture.h"
#include "net/VelmDataManager.h"
#include "runtime/ProcessState.h"
#include "world/VelmRenderer.h"

namespace {

constexpr int kSegments = 10;
constexpr float kSegmentAngle = 0.62831855f;  // 2 pi / 10
constexpr float kInverseTwoPi = 0.15915494f;
constexpr float kRadius = 0.45f;
constexpr float kCylinderHeight = 2.0f;
constexpr float kTopV = 0.05f;
constexpr float kLabelHeight = 1.5f;  // the world height whose screen point the label is centred on

// The label font and its layout: glyph n = byte - 0x20 sits in column n mod 10 and row n div 10 of a grid
// of cells 0.09375 of the texture wide and high; characters are 12 pixels, 8 apart, lines 12 apart.
const char* const kFontFile = "data\\font12.dds";
constexpr float kCellFraction = 0.09375f;
constexpr int kFontColumns = 10;
constexpr float kGlyphSize = 12.0f;
constexpr float kAdvance = 8.0f;
constexpr float kLineHeight = 12.0f;
constexpr std::uint32_t kLine1Colour = 0xFFFFFFFF;  // white
constexpr std::uint32_t kLine2Colour = 0xFFC8C8C8;  // light grey

struct DreamMarkerState {
    bool fontFailed = false;                  // the label font could not be loaded; not tried again
    std::vector<gfx::WorldVertex> cylinders;  // the frame's cylinders, in list order
    std::vector<gfx::ScreenVertex> glyphs;    // the frame's label glyphs, in list order
};

DreamMarkerState& State() {
    static DreamMarkerState state;
    return state;
}

[[maybe_unused]] const bool kRegistered = RegisterProcessState(
    "dream markers",
    [] {
        DreamMarkerState& s = State();
        s.fontFailed = false;
        s.cylinders = {};
        s.glyphs = {};
    },
    kWorldState);

// Segment i of the cylinder spans the angles i and i + 1 steps round the cell centre (sin toward +x, cos
// toward +y), texture u i/5 to (i + 1)/5 (twice round), v 1 at the foot to 0.05 at the top. Both
// triangles of a segment turn the same way on screen, so the culling keeps or drops the segment whole: the
// outside of the cylinder's near half shows, its far half is culled.
void AppendCylinder(std::vector<gfx::WorldVertex>& out, float x, float y) {
    constexpr std::uint32_t c = 0xFFFFFFFF;
    for (int i = 0; i < kSegments; ++i) {
        const float a0 = float(i) * kSegmentAngle, a1 = float(i + 1) * kSegmentAngle;
        const float x0 = x + kRadius * std::sin(a0), y0 = y + kRadius * std::cos(a0);
        const float x1 = x + kRadius * std::sin(a1), y1 = y + kRadius * std::cos(a1);
        const float u0 = 2.0f * a0 * kInverseTwoPi, u1 = 2.0f * a1 * kInverseTwoPi;
        const float h = kCylinderHeight;
        const gfx::WorldVertex segment[6] = {
            {x0, y0, 0.0f, 0.0f, 0.0f, 1.0f, c, u0, 1.0f}, {x1, y1, 0.0f, 0.0f, 0.0f, 1.0f, c, u1, 1.0f},
            {x0, y0, h, 0.0f, 0.0f, 1.0f, c, u0, kTopV},   {x0, y0, h, 0.0f, 0.0f, 1.0f, c, u0, kTopV},
            {x1, y1, 0.0f, 0.0f, 0.0f, 1.0f, c, u1, 1.0f}, {x1, y1, h, 0.0f, 0.0f, 1.0f, c, u1, kTopV},
        };
        out.insert(out.end(), segment, segment + 6);
    }
}

// A label line as it is drawn: the server's bytes without control codes (a 5-byte code is dropped whole)
// and without bytes the font has no glyph for, so nothing in a label can change the colour, size or
// background of what follows it; cut to maxBytes characters.
std::string LabelLine(const std::string& line, size_t maxBytes) {
    std::string out;
    for (size_t i = 0; i < line.size() && out.size() < maxBytes; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c <= 0x02) {
            i += 4;
        } else if (c >= 0x20 && c <= 0x7F) {
            out += char(c);
        }
    }
    return out;
}

void AppendGlyph(std::vector<gfx::ScreenVertex>& out, unsigned char c, float penX, float penY,
                 std::uint32_t colour) {
    const int n = c - 0x20;
    const float u0 = float(n % kFontColumns) * kCellFraction, v0 = float(n / kFontColumns) * kCellFraction;
    const float u1 = u0 + kCellFraction, v1 = v0 + kCellFraction;
    const float x0 = penX - 0.5f, y0 = penY - 0.5f, x1 = x0 + kGlyphSize, y1 = y0 + kGlyphSize;
    const gfx::ScreenVertex quad[6] = {
        {x0, y0, 0.0f, 1.0f, colour, u0, v0}, {x1, y0, 0.0f, 1.0f, colour, u1, v0},
        {x0, y1, 0.0f, 1.0f, colour, u0, v1}, {x0, y1, 0.0f, 1.0f, colour, u0, v1},
        {x1, y0, 0.0f, 1.0f, colour, u1, v0}, {x1, y1, 0.0f, 1.0f, colour, u1, v1},
    };
    out.insert(out.end(), quad, quad + 6);
}

// One line of a label: padding blanks (glyphs too), then the line, from the pen's position.
void AppendLine(std::vector<gfx::ScreenVertex>& out, const std::string& line, size_t padding, float penX,
                float penY, std::uint32_t colour) {
    for (size_t i = 0; i < padding; ++i, penX += kAdvance) {
        AppendGlyph(out, ' ', penX, penY, colour);
    }
    for (unsigned char c : line) {
        AppendGlyph(out, c, penX, penY, colour);
        penX += kAdvance;
    }
}

// The two lines centred on the screen point: the longer line starts 4 pixels per character to the left of
// sx, the shorter one is padded with half the difference in blanks; the second line is one line lower.
void AppendLabel(std::vector<gfx::ScreenVertex>& out, const std::string& line1, const std::string& line2,
                 float sx, float sy) {
    const size_t longest = std::max(line1.size(), line2.size());
    const float left = sx - 4.0f * float(longest);
    AppendLine(out, line1, (longest - line1.size()) / 2, left, sy, kLine1Colour);
    AppendLine(out, line2, (longest - line2.size()) / 2, left, sy + kLineHeight, kLine2Colour);
}

// The clip-space w of a world point under the current view and projection (world transform identity):
// not positive for a point behind the eye, whose projection lands on a mirrored place of the screen.
float ClipW(const gfx::Device& device, float x, float y, float z) {
    const gfx::Matrix v = device.GetTransform(gfx::TransformType::View);
    const gfx::Matrix p = device.GetTransform(gfx::TransformType::Projection);
    float viewPoint[4];
    for (int column = 0; column < 4; ++column) {
        viewPoint[column] = x * v.m[column] + y * v.m[4 + column] + z * v.m[8 + column] + v.m[12 + column];
    }
    return viewPoint[0] * p.m[3] + viewPoint[1] * p.m[7] + viewPoint[2] * p.m[11] + viewPoint[3] * p.m[15];
}

void DrawCylinders(gfx::Device& device, DreamMarkerState& s) {
    device.SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    device.SetRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.SetFVF(gfx::kFvfWorld);
    device.SetTexture(0, DreamMarkerTexture().GetDeviceTexture());
    device.SetRenderState(gfx::RenderState::CullMode, gfx::cull::CW);
    device.SetRenderState(gfx::RenderState::ZWriteEnable, 0);

    s.cylinders.clear();
    for (const DreamMarkerRecord& marker : DreamMarkerList()) {
        if (isCellVisible(marker.x, marker.y)) {
            AppendCylinder(s.cylinders, float(marker.x), float(marker.y));
        }
    }
    // Every cylinder is drawn with the same states: one list, in the order of the marker list.
    if (!s.cylinders.empty()) {
        device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, std::uint32_t(s.cylinders.size() / 3),
                               s.cylinders.data(), sizeof(gfx::WorldVertex));
    }
}

void DrawLabels(gfx::Device& device, DreamMarkerState& s) {
    device.SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    device.SetRenderState(gfx::RenderState::CullMode, gfx::cull::CCW);
    // A line longer than the screen is wide cannot be read whole; it is cut to what fits.
    const size_t maxBytes = size_t(float(device.GetViewport().width) / kAdvance);
    s.glyphs.clear();
    for (const DreamMarkerRecord& marker : DreamMarkerList()) {
        if (!isCellVisible(marker.x, marker.y)) {
            continue;
        }
        const float x = float(marker.x), y = float(marker.y);
        if (!(ClipW(device, x, y, kLabelHeight) > 0.0f)) {
            continue;
        }
        float sx = 0.0f, sy = 0.0f;
        DXG::WorldToScreen(gfx::Vector3{x, y, kLabelHeight}, &sx, &sy);
        AppendLabel(s.glyphs, LabelLine(marker.line1, maxBytes), LabelLine(marker.line2, maxBytes), sx, sy);
    }
    if (s.glyphs.empty()) {
        return;
    }
    // The font belongs to the label text of the world renderer, which loads it when first drawn (its own
    // text stays empty) and keeps it as long as the world renderer keeps the text; the pass shares it.
    DXG::Texture font;
    if (!s.fontFailed) {
        if (CText* label = LabelText()) label->Draw();
        s.fontFailed = !font.Load(kFontFile, DXG::FROM_FILE, false, false);
    }
    // The labels share every state, so all of them go to the device as one list, in the order of the
    // marker list, with the font filtered linearly as every text is.
    const std::uint32_t minFilter = device.GetSamplerState(0, gfx::SamplerState::MinFilter);
    const std::uint32_t magFilter = device.GetSamplerState(0, gfx::SamplerState::MagFilter);
    device.SetSamplerState(0, gfx::SamplerState::MinFilter, gfx::filter::Linear);
    device.SetSamplerState(0, gfx::SamplerState::MagFilter, gfx::filter::Linear);
    device.SetFVF(gfx::kFvfScreen);
    device.SetNoShaders();
    device.SetTexture(0, font.GetDeviceTexture());
    device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, std::uint32_t(s.glyphs.size() / 3),
                           s.glyphs.data(), sizeof(gfx::ScreenVertex));
    device.SetSamplerState(0, gfx::SamplerState::MinFilter, minFilter);
    device.SetSamplerState(0, gfx::SamplerState::MagFilter, magFilter);
}

}  // namespace

void drawDreamMarkers() {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    DreamMarkerState& s = State();
    DrawCylinders(*device, s);
    DrawLabels(*device, s);
    device->SetRenderState(gfx::RenderState::ZWriteEnable, 1);
}
