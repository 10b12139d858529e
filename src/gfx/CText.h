// CText: screen text drawn with a bitmap font. Its bytes may carry 5-byte control codes (0x00 colour,
// 0x01 character size, 0x02 background); drawing lays the characters out into a vertex buffer of quads
// when the text changed, then draws the background quads untextured and the glyph quads with the font.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gfx/Device.h"
#include "gfx/GlyphInk.h"
#include "gfx/Texture.h"

class CText {
public:
    static constexpr char kColourCode = 0x00;      // + 4 bytes: ARGB, little-endian (blue first)
    static constexpr char kSizeCode = 0x01;        // + 4 bytes: a float, pixels
    static constexpr char kBackgroundCode = 0x02;  // + 4 bytes: ARGB; alpha 0 = no background

    CText();
    explicit CText(const char* text);
    explicit CText(const std::string& text);
    // Copies text, position, scale and font file, and shares the font texture; the copy is dirty.
    CText(const CText& other);
    CText& operator=(const CText& other);
    virtual ~CText();

    void SetText(const char* text);
    void SetText(const std::string& text);
    void Clear();
    void Append(const char* text);
    void Append(const std::string& text);
    void Append(const CText& text);  // with its control codes
    void Append(char c);
    void AppendNumber(int number);
    void SetColour(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
    void SetBackground(uint8_t red, uint8_t green, uint8_t blue);
    void ClearBackground();
    void SetSize(float size);
    void SetPosition(float x, float y);
    void SetWidthLimit(float width);  // 0 = no word wrap
    void SetFont(const std::string& fileName, float scale);
    // Leaves out the quads of glyphs without a texel of ink (the blank, among others) while the device's
    // states discard fragments of alpha 0, which such quads draw only. Their backgrounds stay.
    void SetLeaveOutBlankGlyphs(bool leaveOut) { m_leaveOutBlank = leaveOut; }

    // The text without control codes, control characters (but tab and line feed) and bytes from 0x80.
    std::string GetPlainText() const;
    const std::string& GetRawText() const { return m_text; }
    float GetX() const { return m_x; }
    float GetY() const { return m_y; }

    void Draw();

private:
    void Layout(bool leaveOutBlank);
    float MeasureWord(size_t position, float size) const;

    std::string m_text;
    float m_x = 0.0f, m_y = 0.0f;  // pixels, top left of the first line
    bool m_dirty = true;
    std::shared_ptr<gfx::VertexBuffer> m_buffer;
    uint32_t m_capacity = 0;         // vertices
    uint32_t m_backgroundStart = 0;  // first vertex of the background area
    uint32_t m_textVertices = 0;
    uint32_t m_backgroundVertices = 0;
    uint32_t m_glyphs = 0;  // laid out, drawn or left out
    bool m_leaveOutBlank = false;
    bool m_layoutLeftOutBlank = false;  // the layout in the buffer left blank glyphs out
    GlyphInk m_ink;
    bool m_inkMeasured = false;  // m_ink describes the loaded font
    DXG::Texture m_font;
    bool m_fontLoaded = false;  // a load was attempted (successful or not)
    std::string m_fontFile = "data\\font12.dds";
    float m_scale = 1.0f;       // of the character advance
    float m_widthLimit = 0.0f;  // pixels; 0 = no limit
};
