// CText and CTextWindow over a RecordingDevice.
#include <gtest/gtest.h>

#include <functional>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/CTextWindow.h"

namespace {

using XY = std::pair<float, float>;

// One drawn glyph: the top-left vertex of its six, its size and colour.
struct Quad {
    float x, y, size;
    uint32_t colour;
    XY at() const { return {x, y}; }
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
            gfx::ScreenVertex tl = d->Screen(i), br = d->Screen(i + 5);
            quads.push_back({tl.x, tl.y, br.x - tl.x, tl.colour});
        }
        return quads;
    }
    std::vector<Quad> Drawn(CText& text) {
        device->ClearRecord();
        text.Draw();
        return Quads();
    }
};

// Glyph corners and cells are pinned by the reference pictures; a copy shares the loaded font.
TEST_F(TextTest, CopiesShareTheFont) {
    CText text("AB");
    text.SetPosition(10, 20);
    text.Draw();
    CText copy(text);
    EXPECT_EQ(Drawn(copy).at(1).at(), XY(17.5f, 19.5f));
    EXPECT_EQ(device->CountCalls("CreateTexture"), 0u);
}

TEST_F(TextTest, SizeCodeRaisesLineHeightAndAdvance) {
    CText text("A");
    text.SetSize(24.0f);
    text.Append("BD\nE");
    text.SetSize(10.0f);
    text.Append("\nF");
    auto q = Drawn(text);
    ASSERT_EQ(q.size(), 5u);
    // 'B' at 8 after 'A', 24 high, advancing 24 x 2/3 = 16; the line height becomes 24 and never shrinks.
    const std::vector<std::tuple<float, float, float>> expected = {
        {-0.5f, -0.5f, 12}, {7.5f, -0.5f, 24}, {23.5f, -0.5f, 24}, {-0.5f, 23.5f, 24}, {-0.5f, 47.5f, 10}};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(std::make_tuple(q[i].x, q[i].y, q[i].size), expected[i]) << i;
}

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

void WriteFontInkedAt(const std::vector<std::pair<int, int>>& texels) {
    std::vector<uint32_t> pixels(256 * 256, 0x00ffffff);
    for (auto [x, y] : texels) pixels[size_t(y) * 256 + size_t(x)] = 0xffffffff;
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
        WriteFontInkedAt({{c.x, c.y}});
        CText text(std::string(1, c.glyph));
        text.SetLeaveOutBlankGlyphs(true);
        EXPECT_EQ(Drawn(text).size(), c.drawn ? 1u : 0u) << c.x << ", " << c.y << " " << c.glyph;
    }
}

// Left out only where the states discard alpha 0, taken from the texel; the pen and the backgrounds stay.
TEST_F(TextTest, BlankGlyphsAreLeftOutOnlyWhileTheStatesDiscardTheirFragments) {
    WriteFontInkedAt({{80, 80}});  // in 'A' (cell 3, 3) only
    CText text;
    text.SetBackground(1, 2, 3);
    text.Append("B A");
    text.SetLeaveOutBlankGlyphs(true);
    using gfx::RenderState;
    using gfx::StageState;
    struct Case {
        const char* states;
        std::function<void()> set;
        size_t quads;
    } const cases[] = {
        {"default: alpha test greater than 0", [] {}, 1},
        {"alpha test off", [&] { device->SetRenderState(RenderState::AlphaTestEnable, 0); }, 3},
        {"alpha test greater or equal 1",
         [&] {
             device->SetRenderState(RenderState::AlphaFunc, gfx::cmp::GreaterEqual);
             device->SetRenderState(RenderState::AlphaRef, 1);
         },
         1},
        {"alpha from the vertices",
         [&] { device->SetTextureStageState(0, StageState::AlphaOp, gfx::top::SelectArg2); }, 3},
    };
    for (const Case& c : cases) {
        DXG::SetDefaultRenderStates();
        c.set();
        const std::vector<Quad> q = Drawn(text);  // the same text, laid out again as the states change
        ASSERT_EQ(q.size(), c.quads) << c.states;
        EXPECT_EQ(q.back().at(), XY(15.5f, -0.5f)) << c.states;
        EXPECT_EQ(Quads(false).size(), 3u) << c.states;
    }
}

TEST_F(TextTest, WordWrapBreaksBeforeTheNinthNineLetterWordAndSplitsLongWords) {
    std::string words;
    for (int i = 0; i < 12; ++i) words += (i ? " " : "") + std::string(9, char('a' + i));
    CText text(words);
    text.SetPosition(50, 300);
    text.SetWidthLimit(700);
    auto q = Drawn(text);
    ASSERT_EQ(q.size(), words.size());
    // Word k starts at byte 10 k; the eighth (k = 7) still fits at 560, and so does the blank after it.
    EXPECT_EQ(q[79].at(), XY(681.5f, 299.5f));
    EXPECT_EQ(q[80].at(), XY(49.5f, 311.5f));

    CText longWord(std::string(30, 'x'));
    longWord.SetWidthLimit(100);
    q = Drawn(longWord);
    ASSERT_EQ(q.size(), 30u);
    EXPECT_EQ(q[10].y, -0.5f);
    EXPECT_EQ(q[11].at(), XY(-0.5f, 11.5f));  // 100 < 88 + 16
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

TEST_F(TextTest, WindowLineBreaking) {
    std::string letters;
    for (int i = 0; i < 100; ++i) letters += char('A' + i % 26);
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {letters, {letters.substr(0, 43), " " + letters.substr(43, 42), " " + letters.substr(85)}},
        {"hello\n", {"hello"}},
        {"one\n\ntwo", {"one", " ", " two"}}};
    for (const auto& [message, lines] : cases) {
        CTextWindow window(25, 25, 350, 525, 100);
        window.AddText(message);
        std::vector<std::string> plain;
        for (const CText& line : window.GetLines()) plain.push_back(line.GetPlainText());
        EXPECT_EQ(plain, lines) << message;
    }
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

// While scrolled back, a "more below" mark straddles the window's bottom edge below every line of text.
TEST_F(TextTest, WindowScrollbackStaysWithinTheKeptLinesAndMarksItself) {
    auto lowestQuadTop = [&] {
        float lowest = -1;
        for (const gfx::RecordedDraw& d : device->draws)
            for (uint32_t i = 0; !d.fromMemory && i + 6 <= d.VertexCount(); i += 6)
                lowest = std::max(lowest, d.Screen(i).y);
        device->ClearRecord();
        return lowest;
    };
    CTextWindow window(50, 300, 700, 250, 30);  // 20 lines shown, 30 kept
    for (int i = 0; i < 40; ++i) window.AddText("line " + std::to_string(i));
    window.Scroll(100);
    EXPECT_EQ(window.VisibleText().substr(0, 8), "line 10\n");
    window.Draw();
    const float withMark = lowestQuadTop();
    window.ScrollToEnd();
    window.Draw();
    EXPECT_NEAR(withMark, 540 - 0.5f, 1.0f);
    EXPECT_LT(lowestQuadTop(), withMark - 1.0f);
}

}  // namespace
