// CText editing, layout (buffer growth in blocks, line height, advance, word wrap) and drawing.
#include "gfx/CText.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "gfx/DXG.h"
#include "platform/MessageBox.h"
#include "runtime/LogFile.h"

namespace {

constexpr uint32_t kBlockCharacters = 384;  // background area offset per block, in vertices
constexpr uint32_t kBlockVertices = 768;    // capacity per block
constexpr float kCellFraction = 0.09375f;   // a glyph cell of the font texture: 24 of 256 pixels
constexpr int kFontColumns = 10;
constexpr float kStartSize = 12.0f;

bool IsCode(unsigned char c) {
    return c <= 0x02;
}
bool IsGlyph(unsigned char c) {
    return c >= 0x20 && c <= 0x7f;
}

uint32_t ReadArgb(const std::string& text, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(static_cast<unsigned char>(text[at + i])) << (8 * i);
    return v;
}

float ReadFloat(const std::string& text, size_t at) {
    float f;
    std::memcpy(&f, text.data() + at, 4);
    return f;
}

// Whether a fragment whose texel has alpha 0 leaves no trace under the device's current states: the stage's
// alpha is the texel's (alone or times the vertex alpha, 0 either way) and the alpha test rejects 0, so the
// fragment writes neither colour nor depth.
bool ZeroAlphaTexelsDiscarded(gfx::Device& device) {
    using gfx::StageState;
    auto stage = [&](StageState s) { return device.GetTextureStageState(0, s); };
    const uint32_t op = stage(StageState::AlphaOp);
    const bool arg1 = stage(StageState::AlphaArg1) == gfx::targ::Texture;
    const bool arg2 = stage(StageState::AlphaArg2) == gfx::targ::Texture;
    const bool alphaFromTexel = (op == gfx::top::SelectArg1 && arg1) ||
                                (op == gfx::top::SelectArg2 && arg2) ||
                                (op == gfx::top::Modulate && (arg1 || arg2));
    if (stage(StageState::ColorOp) == gfx::top::Disable || !alphaFromTexel) return false;
    if (device.GetRenderState(gfx::RenderState::AlphaTestEnable) == 0) return false;
    const uint32_t ref = device.GetRenderState(gfx::RenderState::AlphaRef) & 0xFF;
    switch (device.GetRenderState(gfx::RenderState::AlphaFunc)) {
    case gfx::cmp::Never: return true;
    case gfx::cmp::Less: return ref == 0;
    case gfx::cmp::Equal: return ref != 0;
    case gfx::cmp::Greater: return true;
    case gfx::cmp::NotEqual: return ref == 0;
    case gfx::cmp::GreaterEqual: return ref != 0;
    default: return false;
    }
}

// Texts share the font texture of a file while any of them holds it, so each font is measured once while
// it lives (a font texture is never written after it loads).
GlyphInk MeasuredInk(const std::shared_ptr<gfx::Texture>& font) {
    static std::vector<std::pair<std::weak_ptr<gfx::Texture>, GlyphInk>> measured;
    measured.erase(std::remove_if(measured.begin(), measured.end(),
                                  [](const auto& entry) { return entry.first.expired(); }),
                   measured.end());
    for (const auto& [texture, ink] : measured)
        if (texture.lock() == font) return ink;
    GlyphInk ink;
    ink.Measure(font.get(), kCellFraction, kFontColumns);
    if (font != nullptr) measured.emplace_back(font, ink);
    return ink;
}

// A complete code needs its four bytes; a code cut short by the end of the text ends the text there.
bool CodeComplete(const std::string& text, size_t at) {
    return text.size() - at >= 5;
}

}  // namespace

CText::CText() = default;

CText::CText(const char* text) {
    if (text != nullptr) m_text = text;
}

CText::CText(const std::string& text) : m_text(text) {}

CText::CText(const CText& other)
    : m_text(other.m_text),
      m_x(other.m_x),
      m_y(other.m_y),
      m_leaveOutBlank(other.m_leaveOutBlank),
      m_fontFile(other.m_fontFile),
      m_scale(other.m_scale) {
    m_font.SRShare(other.m_font.GetRecord());
}

CText& CText::operator=(const CText& other) {
    if (this != &other) {
        m_text = other.m_text;
        m_x = other.m_x;
        m_y = other.m_y;
        m_scale = other.m_scale;
        m_fontFile = other.m_fontFile;
        m_leaveOutBlank = other.m_leaveOutBlank;
        m_font.SRShare(other.m_font.GetRecord());
        m_fontLoaded = false;
        m_dirty = true;
    }
    return *this;
}

CText::~CText() {
    DXG::ScopedLock lock;
    m_buffer.reset();
}

void CText::SetText(const char* text) {
    m_text = text != nullptr ? text : "";
    m_dirty = true;
}

void CText::SetText(const std::string& text) {
    m_text = text;
    m_dirty = true;
}

void CText::Clear() {
    m_text.clear();
    m_dirty = true;
}

void CText::Append(const char* text) {
    if (text != nullptr) m_text += text;
    m_dirty = true;
}

void CText::Append(const std::string& text) {
    m_text += text;
    m_dirty = true;
}

void CText::Append(const CText& text) {
    m_text += text.m_text;
    m_dirty = true;
}

void CText::Append(char c) {
    m_text += c;
    m_dirty = true;
}

void CText::AppendNumber(int number) {
    m_text += std::to_string(number);
    m_dirty = true;
}

void CText::SetColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    const char code[5] = {kColourCode, char(blue), char(green), char(red), char(alpha)};
    m_text.append(code, 5);
    m_dirty = true;
}

void CText::SetBackground(uint8_t red, uint8_t green, uint8_t blue) {
    const char code[5] = {kBackgroundCode, char(blue), char(green), char(red), char(255)};
    m_text.append(code, 5);
    m_dirty = true;
}

void CText::ClearBackground() {
    const char code[5] = {kBackgroundCode, 0, 0, 0, 0};
    m_text.append(code, 5);
    m_dirty = true;
}

void CText::SetSize(float size) {
    char code[5] = {kSizeCode};
    std::memcpy(code + 1, &size, 4);
    m_text.append(code, 5);
    m_dirty = true;
}

void CText::SetPosition(float x, float y) {
    if (x != m_x || y != m_y) {
        m_x = x;
        m_y = y;
        m_dirty = true;
    }
}

void CText::SetWidthLimit(float width) {
    m_widthLimit = width;
    m_dirty = true;
}

void CText::SetFont(const std::string& fileName, float scale) {
    m_fontFile = fileName;
    m_scale = scale;
    m_fontLoaded = false;
    m_dirty = true;
}

std::string CText::GetPlainText() const {
    std::string plain;
    for (size_t i = 0; i < m_text.size(); ++i) {
        auto c = static_cast<unsigned char>(m_text[i]);
        if (IsCode(c)) {
            i += 4;
        } else if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\n')) {
            continue;
        } else {
            plain += char(c);
        }
    }
    return plain;
}

float CText::MeasureWord(size_t position, float size) const {
    float advance = size * m_scale * 2.0f / 3.0f;
    float total = 0.0f;
    for (size_t i = position; i < m_text.size(); ++i) {
        auto c = static_cast<unsigned char>(m_text[i]);
        if (c == ' ' || c == '\n' || c == '\r') break;
        if (IsCode(c)) {
            if (!CodeComplete(m_text, i)) break;
            if (c == 0x01) advance = ReadFloat(m_text, i + 1) * m_scale * 2.0f / 3.0f;
            i += 4;
        } else if (IsGlyph(c)) {
            total += advance;
        }
    }
    return total + 4.0f;
}

void CText::Layout(bool leaveOutBlank) {
    m_dirty = false;
    m_layoutLeftOutBlank = leaveOutBlank;
    uint32_t glyphs = 0;
    for (size_t i = 0; i < m_text.size(); ++i) {
        if (IsCode(static_cast<unsigned char>(m_text[i]))) {
            i += 4;
        } else {
            ++glyphs;
        }
    }
    uint64_t needed = 6ull * std::max(1u, glyphs);
    gfx::Device* device = DXG::GetDevice();
    // The text area (before the background area) must hold every glyph's six vertices.
    if (needed > m_backgroundStart && device != nullptr) {
        DXG::ScopedLock lock;
        m_buffer.reset();
        m_capacity = m_backgroundStart = 0;
        uint64_t blocks = needed / kBlockCharacters + 1;
        uint64_t bytes = blocks * kBlockVertices * sizeof(gfx::ScreenVertex);
        std::shared_ptr<gfx::VertexBuffer> buffer;
        if (bytes <= UINT32_MAX &&
            gfx::Succeeded(device->CreateVertexBuffer(uint32_t(bytes), gfx::kUsageWriteOnly, gfx::kFvfScreen,
                                                      gfx::Pool::Managed, &buffer))) {
            m_buffer = std::move(buffer);
            m_backgroundStart = uint32_t(blocks * kBlockCharacters);
            m_capacity = uint32_t(blocks * kBlockVertices);
        }
    }
    void* locked = nullptr;
    if (m_buffer == nullptr || !gfx::Succeeded(m_buffer->Lock(0, 0, &locked, gfx::kLockNone))) {
        errorLog.Write("Failed to lock VB for string \"" + m_text + "\"\n");
        return;
    }
    auto* vertices = static_cast<gfx::ScreenVertex*>(locked);
    uint32_t textCount = 0, backgroundCount = 0, glyphCount = 0;

    uint32_t colour = 0xffffffffu, background = 0;
    float size = kStartSize, lineHeight = kStartSize, advance = 8.0f * m_scale;
    float penX = m_x, penY = m_y;
    const float limit = m_widthLimit;
    bool inWord = true;
    bool longWord = limit != 0.0f && limit < MeasureWord(0, kStartSize);
    auto newLine = [&] {
        penX = m_x;
        penY += lineHeight;
    };

    for (size_t i = 0; i < m_text.size(); ++i) {
        auto c = static_cast<unsigned char>(m_text[i]);
        if (IsCode(c)) {
            if (!CodeComplete(m_text, i)) break;
            if (c == 0x00) {
                colour = ReadArgb(m_text, i + 1);
            } else if (c == 0x01) {
                size = ReadFloat(m_text, i + 1);
                advance = size * m_scale * 2.0f / 3.0f;
                lineHeight = std::max(lineHeight, size);
            } else {
                background = ReadArgb(m_text, i + 1);
            }
            i += 4;
            continue;
        }
        if (c == '\n') {
            newLine();
            continue;
        }
        if (c == '\r') continue;
        if (!IsGlyph(c)) {
            errorLog.Write("Warning: unhandled character in CText string.\n");
            continue;
        }
        if (limit != 0.0f) {
            float d = penX - m_x;
            if (!inWord) {
                if (c != ' ') {
                    float w = MeasureWord(i, size);
                    longWord = limit < w;
                    if (limit < d + w) newLine();
                    inWord = true;
                }
            } else if (c == ' ') {
                inWord = false;
            } else if (longWord && limit < d + 2.0f * advance) {
                newLine();
            }
        }
        int n = c - 0x20;
        float u0 = float(n % kFontColumns) * kCellFraction, v0 = float(n / kFontColumns) * kCellFraction;
        float u1 = u0 + kCellFraction, v1 = v0 + kCellFraction;
        float x0 = penX - 0.5f, y0 = penY - 0.5f, x1 = x0 + size, y1 = y0 + size;
        const gfx::ScreenVertex quad[6] = {
            {x0, y0, 0.0f, 1.0f, colour, u0, v0}, {x1, y0, 0.0f, 1.0f, colour, u1, v0},
            {x0, y1, 0.0f, 1.0f, colour, u0, v1}, {x0, y1, 0.0f, 1.0f, colour, u0, v1},
            {x1, y0, 0.0f, 1.0f, colour, u1, v0}, {x1, y1, 0.0f, 1.0f, colour, u1, v1},
        };
        assert(textCount + 6 <= m_backgroundStart && m_backgroundStart + backgroundCount + 6 <= m_capacity);
        // A blank glyph's fragments all have alpha 0 and are discarded: its quad would draw nothing.
        if (!(leaveOutBlank && m_ink.Blank(c))) {
            std::copy(quad, quad + 6, vertices + textCount);
            textCount += 6;
        }
        ++glyphCount;
        if ((background >> 24) != 0) {
            gfx::ScreenVertex* out = vertices + m_backgroundStart + backgroundCount;
            std::copy(quad, quad + 6, out);
            for (int k = 0; k < 6; ++k) out[k].colour = background;
            backgroundCount += 6;
        }
        penX += advance;
    }
    m_buffer->Unlock();
    m_textVertices = textCount;
    m_backgroundVertices = backgroundCount;
    m_glyphs = glyphCount;
}

void CText::Draw() {
    if (!m_dirty && m_glyphs == 0) return;
    if (!m_fontLoaded) {
        if (!m_font.Load(m_fontFile, DXG::FROM_FILE, false, false)) {
            errorLog.Write("Failed to load font \"" + m_fontFile + "\"\n");
            EchoStartupFailure("Failed to load font \"" + m_fontFile + "\"\n");
        }
        m_fontLoaded = true;
        m_inkMeasured = false;
    }
    gfx::Device* device = DXG::GetDevice();
    if (device == nullptr) return;
    uint32_t minFilter = device->GetSamplerState(0, gfx::SamplerState::MinFilter);
    uint32_t magFilter = device->GetSamplerState(0, gfx::SamplerState::MagFilter);
    device->SetSamplerState(0, gfx::SamplerState::MinFilter, gfx::filter::Linear);
    device->SetSamplerState(0, gfx::SamplerState::MagFilter, gfx::filter::Linear);
    if (m_leaveOutBlank && !m_inkMeasured) {
        m_ink = MeasuredInk(m_font.GetDeviceTexture());
        m_inkMeasured = true;
    }
    const bool leaveOutBlank = m_leaveOutBlank && ZeroAlphaTexelsDiscarded(*device);
    if (m_dirty || leaveOutBlank != m_layoutLeftOutBlank) Layout(leaveOutBlank);
    if (m_buffer != nullptr && (m_textVertices != 0 || m_backgroundVertices != 0)) {
        device->SetFVF(gfx::kFvfScreen);
        device->SetNoShaders();
        device->SetStreamSource(0, m_buffer, 0, sizeof(gfx::ScreenVertex));
        if (m_backgroundVertices != 0) {
            device->SetTexture(0, nullptr);
            device->DrawPrimitive(gfx::PrimitiveType::TriangleList, m_backgroundStart,
                                  m_backgroundVertices / 3);
        }
        if (m_textVertices != 0) {
            device->SetTexture(0, m_font.GetDeviceTexture());
            device->DrawPrimitive(gfx::PrimitiveType::TriangleList, 0, m_textVertices / 3);
        }
    }
    device->SetSamplerState(0, gfx::SamplerState::MinFilter, minFilter);
    device->SetSamplerState(0, gfx::SamplerState::MagFilter, magFilter);
}
