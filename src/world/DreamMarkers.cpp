// The dream marker pass: open cylinders around the marker cells, drawn without depth writes so that they
// hide nothing drawn after them, then the two-line labels above them in the label font.
#include "world/DreamMarkers.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gfx/DXG.h"
#include "net/VelmDataManager.h"
#include "runtime/LogFile.h"

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

}  // namespace

DreamMarkerRenderer::DreamMarkerRenderer() {
    m_texture.Load("data\\misc\\dream0.dds", DXG::FROM_FILE, true, true);
    // Loaded as every text loads its font, so that the labels share the chat's font texture.
    if (!m_font.Load(kFontFile, DXG::FROM_FILE, false, false))
        errorLog.Write(std::string("Failed to load font \"") + kFontFile + "\"\n");
}

DreamMarkerRenderer::~DreamMarkerRenderer() {
    m_texture.SRFree();
    m_font.SRFree();
}

void DreamMarkerRenderer::drawCylinders(gfx::Device& device, const WorldView& view) {
    device.SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    device.SetRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    device.SetFVF(gfx::kFvfWorld);
    device.SetTexture(0, m_texture.GetDeviceTexture());
    device.SetRenderState(gfx::RenderState::CullMode, gfx::cull::CW);
    device.SetRenderState(gfx::RenderState::ZWriteEnable, 0);

    m_cylinders.clear();
    for (const DreamMarkerRecord& marker : DreamMarkerList()) {
        const float x = float(marker.x), y = float(marker.y);
        if (view.contains(marker.x, marker.y) &&
            view.mayShow({x - kRadius, y - kRadius, 0.0f}, {x + kRadius, y + kRadius, kCylinderHeight})) {
            AppendCylinder(m_cylinders, x, y);
        }
    }
    // Every cylinder is drawn with the same states: one list, in the order of the marker list.
    if (!m_cylinders.empty()) {
        device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, std::uint32_t(m_cylinders.size() / 3),
                               m_cylinders.data(), sizeof(gfx::WorldVertex));
    }
}

void DreamMarkerRenderer::drawLabels(gfx::Device& device, const WorldView& view) {
    device.SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    device.SetRenderState(gfx::RenderState::CullMode, gfx::cull::CCW);
    // A line longer than the screen is wide cannot be read whole; it is cut to what fits.
    const size_t maxBytes = size_t(float(device.GetViewport().width) / kAdvance);
    m_glyphs.clear();
    for (const DreamMarkerRecord& marker : DreamMarkerList()) {
        if (!view.contains(marker.x, marker.y)) {
            continue;
        }
        const float x = float(marker.x), y = float(marker.y);
        if (!(view.clipW({x, y, kLabelHeight}) > 0.0f)) {
            continue;
        }
        float sx = 0.0f, sy = 0.0f;
        DXG::WorldToScreen(gfx::Vector3{x, y, kLabelHeight}, &sx, &sy);
        AppendLabel(m_glyphs, LabelLine(marker.line1, maxBytes), LabelLine(marker.line2, maxBytes), sx, sy);
    }
    if (m_glyphs.empty()) {
        return;
    }
    // The labels share every state, so all of them go to the device as one list, in the order of the
    // marker list, with the font filtered linearly as every text is.
    const std::uint32_t minFilter = device.GetSamplerState(0, gfx::SamplerState::MinFilter);
    const std::uint32_t magFilter = device.GetSamplerState(0, gfx::SamplerState::MagFilter);
    device.SetSamplerState(0, gfx::SamplerState::MinFilter, gfx::filter::Linear);
    device.SetSamplerState(0, gfx::SamplerState::MagFilter, gfx::filter::Linear);
    device.SetFVF(gfx::kFvfScreen);
    device.SetNoShaders();
    device.SetTexture(0, m_font.GetDeviceTexture());
    device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, std::uint32_t(m_glyphs.size() / 3),
                           m_glyphs.data(), sizeof(gfx::ScreenVertex));
    device.SetSamplerState(0, gfx::SamplerState::MinFilter, minFilter);
    device.SetSamplerState(0, gfx::SamplerState::MagFilter, magFilter);
}

void DreamMarkerRenderer::draw(const WorldView& view) {
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) {
        return;
    }
    drawCylinders(*device, view);
    drawLabels(*device, view);
    device->SetRenderState(gfx::RenderState::ZWriteEnable, 1);
}
