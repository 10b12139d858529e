// Which glyphs of a bitmap font can leave no trace: every texel a glyph quad may sample, linear filtering
// included, has alpha 0. Read once from the font texture when it loads.
#pragma once

#include <bitset>

#include "gfx/Device.h"

class GlyphInk {
public:
    // Reads level 0 of a one-level A8R8G8B8 font of glyphs 0x20-0x7F in cells of cellFraction of the
    // texture's side, columns per row; any other texture (or none) counts every glyph as inked.
    void Measure(gfx::Texture* font, float cellFraction, int columns);
    bool Blank(unsigned char glyph) const { return glyph >= 0x20 && glyph <= 0x7f && m_blank[glyph - 0x20]; }

private:
    std::bitset<96> m_blank;
};
