// CText and CTextWindow over a RecordingDevice.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/CTextWindow.h"

namespace {

// One drawn glyph: the top-left vertex of its six and its colour.
struct Quad {
    float x, y;
    uint32_t colour;
};

class TextTest : public RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        imagetest::WriteDdsArgb("data/font12.dds", 256, 256, std::vector<uint32_t>(256 * 256, 0x00ffffff));
    }
    // The draw of the glyph quads (textured) or of the background quads (untextured).
    const gfx::RecordedDraw* Draw(bool textured) const {
        for (const auto& d : device->draws)
            if (!d.fromMemory && (d.texture != nullptr) == textured &&
                d.type == gfx::PrimitiveType::TriangleList)
                return &d;
        return nullptr;
    }
    std::vector<Quad> Quads(bool textured = true) const {
        std::vector<Quad> quads;
        const gfx::RecordedDraw* d = Draw(textured);
        for (uint32_t i = 0; d != nullptr && i + 6 <= d->VertexCount(); i += 6) {
            gfx::ScreenVertex tl = d->Screen(i);
            quads.push_back({tl.x, tl.y, tl.colour});
        }
        return quads;
    }
    std::vector<Quad> Drawn(CText& text) {
        device->ClearRecord();
        text.Draw();
        return Quads();
    }
};

TEST_F(TextTest, ColourAndBackgroundCodes) {
    CText text;
    text.SetColour(0x11, 0x22, 0x33, 0x44);
    text.Append("A");
    text.SetBackground(10, 20, 30);
    text.Append("BC");
    text.ClearBackground();
    text.Append(std::string("D\x02\x0a\x14\x1e\x00", 6) + "EF");  // a background with alpha 0 draws nothing
    auto q = Drawn(text);
    ASSERT_EQ(q.size(), 6u);
    EXPECT_EQ(q[0].colour, 0x44112233u);
    auto background = Quads(false);
    ASSERT_EQ(background.size(), 2u);
    EXPECT_EQ(background[0].colour, 0xff0a141eu);
    EXPECT_EQ(std::make_pair(background[0].x, background[1].x), std::make_pair(q[1].x, q[2].x));
    EXPECT_LT(Draw(false), Draw(true));  // background first
}

void WriteFontInkedAt(int x, int y) {
    std::vector<uint32_t> pixels(256 * 256, 0x00ffffff);
    pixels[size_t(y) * 256 + size_t(x)] = 0xffffffff;
    imagetest::WriteDdsArgb("data/font12.dds", 256, 256, pixels);
}

// Blank: no ink in the 24-texel cell widened by one texel each side (linear filtering), wrapping at the edge.
TEST_F(TextTest, BlankGlyphsAreThoseWithoutInkWithinTheTexelsTheirQuadsCanSample) {
    struct Case {
        int x, y;
        char glyph;
        bool drawn;
    } const cases[] = {
        {121, 77, 'B', false},  // 'B' is cell (4, 3), texels 96-119: 'C's second column is out of reach
        {120, 77, 'B', true},   // 'C's first column is read by 'B's rightmost samples
        {100, 96, 'B', true},   // the first row below the cell
        {100, 97, 'B', false},
        {255, 5, ' ', true},  // the blank's cell starts at the texture's edge: repeat wraps to the far side
    };
    for (const Case& c : cases) {
        WriteFontInkedAt(c.x, c.y);
        CText text(std::string(1, c.glyph));
        text.SetLeaveOutBlankGlyphs(true);
        EXPECT_EQ(Drawn(text).size(), c.drawn ? 1u : 0u) << c.x << ", " << c.y << " " << c.glyph;
    }
}

// Left out only where the states discard alpha 0, taken from the texel; the pen and the backgrounds stay.
TEST_F(TextTest, BlankGlyphsAreLeftOutOnlyWhileTheStatesDiscardTheirFragments) {
    WriteFontInkedAt(80, 80);  // in 'A' (cell 3, 3) only
    CText text;
    text.SetBackground(1, 2, 3);
    text.Append("B A");
    text.SetLeaveOutBlankGlyphs(true);
    for (bool vertexAlpha : {false, true}) {  // alpha from the vertices: nothing is discarded
        DXG::SetDefaultRenderStates();
        if (vertexAlpha) device->SetTextureStageState(0, gfx::StageState::AlphaOp, gfx::top::SelectArg2);
        const std::vector<Quad> q = Drawn(text);  // the same text, laid out again as the states change
        ASSERT_EQ(q.size(), vertexAlpha ? 3u : 1u);
        EXPECT_EQ(std::make_pair(q.back().x, q.back().y), std::make_pair(15.5f, -0.5f));
        EXPECT_EQ(Quads(false).size(), 3u);
    }
}

TEST_F(TextTest, MissingFontIsReportedOnceAndTextDrawsUntextured) {
    std::filesystem::remove("data/font12.dds");
    CText text("A");
    text.Draw();
    text.SetText("B");
    text.Draw();
    const std::string missing = "Failed to load font \"data\\font12.dds\"\n";
    EXPECT_NE(Log().find(missing), std::string::npos) << Log();
    EXPECT_EQ(Log().find(missing, Log().find(missing) + 1), std::string::npos) << Log();  // once
    EXPECT_EQ(device->CountCalls("DrawPrimitive("), 2u);
}

TEST_F(TextTest, WindowCarriesColourAndBackgroundAcrossBreaks) {
    CTextWindow window(0, 0, 80, 120, 100);  // 10 characters per line
    window.SetDefaultColour(1, 2, 3, 4);
    CText message("abc");
    message.SetColour(200, 100, 50, 255);
    message.SetBackground(9, 8, 7);
    message.Append("defghijklm");
    window.AddText(message);
    const auto& lines = window.GetLines();
    ASSERT_EQ(lines.size(), 2u);
    const std::string backgroundOff("\x02\0\0\0\0", 5), defaultColour("\x00\x03\x02\x01\x04", 5);
    const std::string colour("\x00\x32\x64\xc8\xff", 5), background("\x02\x07\x08\x09\xff", 5);
    EXPECT_EQ(lines[0].GetRawText(), backgroundOff + defaultColour + "abc" + colour + background + "defghij");
    EXPECT_EQ(lines[1].GetRawText(), colour + background + " klm");
}

}  // namespace
