// CText and CTextWindow over a RecordingDevice: glyph quads, colours, backgrounds, line height and advance,
// word wrap, buffer growth, the warnings; line breaking, carry-over and the bounded queue of text windows.
#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/CTextWindow.h"
#include "gfx/DxgTesting.h"
#include "support/TestSupport.h"

namespace {

size_t CountOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// One drawn glyph: the top-left vertex of its six, its size and colour.
struct Quad {
    float x, y, size;
    uint32_t colour;
    float u, v;
};

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        DXG::Texture::resetForTests();
        imagetest::WriteDdsArgb("data/font12.dds", 256, 256, std::vector<uint32_t>(256 * 256, 0x00ffffff));
        ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
        device->ClearRecord();
        ClearLog(errorLog);
    }
    void TearDown() override {
        DXG::EndFrame0();
        DXG::resetForTests();
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
            quads.push_back({tl.x, tl.y, br.x - tl.x, tl.colour, tl.u, tl.v});
        }
        return quads;
    }

    gfx::RecordingDevice* device = nullptr;
    ScratchFolder folder{"text"};
    WorkingDirectory cwd{folder.path()};
};

TEST_F(TextTest, GlyphQuadsHaveTheirCornersOrderAndCells) {
    CText text("AB");
    text.SetPosition(10, 20);
    text.Draw();
    const gfx::RecordedDraw* d = Draw(true);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(std::make_tuple(d->primitiveCount, d->startVertex, d->fvf, d->stride),
              std::make_tuple(4u, 0u, gfx::kFvfScreen, 28u));
    // 'A' is glyph 33: column 3, row 3.
    const float c = 0.09375f, u0 = 3 * c, v0 = 3 * c;
    const float expected[6][4] = {{9.5f, 19.5f, u0, v0},      {21.5f, 19.5f, u0 + c, v0},
                                  {9.5f, 31.5f, u0, v0 + c},  {9.5f, 31.5f, u0, v0 + c},
                                  {21.5f, 19.5f, u0 + c, v0}, {21.5f, 31.5f, u0 + c, v0 + c}};
    for (uint32_t i = 0; i < 6; ++i) {
        gfx::ScreenVertex v = d->Screen(i);
        EXPECT_FLOAT_EQ(v.x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(v.y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(v.u, expected[i][2]) << i;
        EXPECT_FLOAT_EQ(v.v, expected[i][3]) << i;
        EXPECT_EQ(std::make_tuple(v.colour, v.z, v.rhw), std::make_tuple(0xffffffffu, 0.0f, 1.0f)) << i;
    }
    EXPECT_FLOAT_EQ(d->Screen(6).x, 17.5f);  // 'B' one advance (8) further
    EXPECT_EQ(Draw(false), nullptr);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(TextTest, SizeCodeRaisesLineHeightAndAdvanceAndScaleWidensTheAdvanceOnly) {
    CText text("A");
    text.SetSize(24.0f);
    text.Append("BD\nE");
    text.SetSize(10.0f);
    text.Append("\nF");
    text.Draw();
    auto q = Quads();
    ASSERT_EQ(q.size(), 5u);
    EXPECT_FLOAT_EQ(q[0].size, 12.0f);
    EXPECT_FLOAT_EQ(q[1].x, 7.5f);  // after 'A': 8
    EXPECT_FLOAT_EQ(q[1].size, 24.0f);
    EXPECT_FLOAT_EQ(q[2].x, 23.5f);  // 'B' advanced 24 x 2/3 = 16
    EXPECT_FLOAT_EQ(q[3].y, 23.5f);  // the line height became 24
    EXPECT_FLOAT_EQ(q[3].x, -0.5f);
    EXPECT_FLOAT_EQ(q[4].y, 47.5f);  // and never shrinks within the layout
    EXPECT_FLOAT_EQ(q[4].size, 10.0f);

    CText scaled("AB");
    scaled.SetFont("data\\font12.dds", 2.0f);
    device->ClearRecord();
    scaled.Draw();
    q = Quads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[1].x - q[0].x, 16.0f);
    EXPECT_FLOAT_EQ(q[1].size, 12.0f);
}

TEST_F(TextTest, ColourAndBackgroundCodes) {
    CText text;
    text.SetColour(0x11, 0x22, 0x33, 0x44);
    text.Append("A");
    text.SetBackground(10, 20, 30);
    text.Append("BC");
    text.ClearBackground();
    text.Append("D");
    text.Append(std::string("\x02\x0a\x14\x1e\x00", 5) + "EF");  // a background with alpha 0 draws nothing
    text.Draw();
    auto q = Quads();
    ASSERT_EQ(q.size(), 6u);
    EXPECT_EQ(q[0].colour, 0x44112233u);
    auto background = Quads(false);
    ASSERT_EQ(background.size(), 2u);
    EXPECT_EQ(background[0].colour, 0xff0a141eu);
    EXPECT_FLOAT_EQ(background[0].x, q[1].x);
    EXPECT_FLOAT_EQ(background[1].x, q[2].x);
    const gfx::RecordedDraw* bg = Draw(false);
    EXPECT_EQ(bg->startVertex, 384u);
    EXPECT_EQ(bg->primitiveCount, 4u);
    EXPECT_LT(bg - device->draws.data(), Draw(true) - device->draws.data());  // background first
}

TEST_F(TextTest, UnhandledBytesAreWarnedAtEachLayoutAndSkipped) {
    CText text(
        "A\xe9"
        "B\x05\r");
    text.Draw();
    auto q = Quads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[1].x, 7.5f);  // no pen movement for the skipped byte
    EXPECT_EQ(
        LogText(errorLog),
        "Warning: unhandled character in CText string.\nWarning: unhandled character in CText string.\n");
    text.Draw();  // not dirty: no layout, no warning
    text.SetPosition(0, 0);
    text.Draw();
    EXPECT_EQ(CountOf(LogText(errorLog), "Warning: unhandled"), 2u);
    text.SetPosition(1, 0);
    text.Draw();
    EXPECT_EQ(CountOf(LogText(errorLog), "Warning: unhandled"), 4u);
}

TEST_F(TextTest, WordWrapBreaksBeforeTheNinthNineLetterWord) {
    std::string words;
    for (int i = 0; i < 12; ++i) words += (i ? " " : "") + std::string(9, char('a' + i));
    CText text(words);
    text.SetPosition(50, 300);
    text.SetWidthLimit(700);
    text.Draw();
    auto q = Quads();
    ASSERT_EQ(q.size(), words.size());
    // Word k starts at byte 10 k; the eighth word (k = 7) still fits at 560, the ninth starts a new line.
    EXPECT_FLOAT_EQ(q[70].x, 50 + 560 - 0.5f);
    EXPECT_FLOAT_EQ(q[70].y, 300 - 0.5f);
    EXPECT_FLOAT_EQ(q[79].y, 300 - 0.5f);  // the blank before it stays on the first line
    EXPECT_FLOAT_EQ(q[80].x, 50 - 0.5f);
    EXPECT_FLOAT_EQ(q[80].y, 312 - 0.5f);
}

TEST_F(TextTest, LongWordIsSplitWithinTwoAdvancesOfTheLimit) {
    CText text(std::string(30, 'x'));
    text.SetWidthLimit(100);
    text.Draw();
    auto q = Quads();
    ASSERT_EQ(q.size(), 30u);
    EXPECT_FLOAT_EQ(q[10].y, -0.5f);
    EXPECT_FLOAT_EQ(q[11].x, -0.5f);  // 100 < 88 + 16
    EXPECT_FLOAT_EQ(q[11].y, 11.5f);
    EXPECT_FLOAT_EQ(q[22].y, 23.5f);
}

TEST_F(TextTest, BufferGrowsInBlocksAndNeverShrinks) {
    // One block: 384 text vertices (64 glyphs) before the background area, 768 in all.
    CText text;
    text.Draw();
    EXPECT_TRUE(device->draws.empty());
    const std::pair<size_t, size_t> steps[] = {{64, 1}, {65, 2},  {128, 2}, {129, 3},
                                               {10, 3}, {192, 3}, {300, 4}};
    for (const auto& [glyphs, creations] : steps) {
        text.SetText(std::string(glyphs, 'x'));
        text.Draw();
        EXPECT_EQ(device->CountCalls("CreateVertexBuffer"), creations) << glyphs;
    }
    EXPECT_EQ(device->CallTexts("CreateVertexBuffer"),
              (std::vector<std::string>{"CreateVertexBuffer(21504,8,0x144,1)",  // 768 vertices of 28 bytes
                                        "CreateVertexBuffer(43008,8,0x144,1)",
                                        "CreateVertexBuffer(64512,8,0x144,1)",
                                        "CreateVertexBuffer(107520,8,0x144,1)"}));

    // A grown text's background quads stay inside its buffer.
    CText grown("x");
    grown.Draw();
    grown.SetText("");
    grown.SetBackground(1, 2, 3);
    grown.Append(std::string(100, 'y'));
    device->ClearRecord();
    grown.Draw();
    EXPECT_EQ(device->CountCalls("CreateVertexBuffer"), 1u);
    EXPECT_EQ(Quads(false).size(), 100u);
    EXPECT_EQ(Quads(true).size(), 100u);
}

TEST_F(TextTest, PlainTextEditingAndACodeCutShort) {
    CText text("a\tb\nc\rd\x7f\x80\xff\x1b");
    text.SetColour(1, 2, 3, 4);
    text.SetSize(20);
    text.AppendNumber(-42);
    text.Append('!');
    CText other("z");
    other.SetBackground(5, 6, 7);
    text.Append(other);
    EXPECT_EQ(text.GetPlainText(), "a\tb\ncd\x7f-42!z");
    float twenty = 20.0f;
    std::string sizeCode = "\x01" + std::string(reinterpret_cast<const char*>(&twenty), 4);
    EXPECT_EQ(text.GetRawText(), "a\tb\nc\rd\x7f\x80\xff\x1b" + std::string("\x00\x03\x02\x01\x04", 5) +
                                     sizeCode + "-42!z\x02\x07\x06\x05\xff");
    text.Clear();
    EXPECT_EQ(text.GetRawText(), "");

    CText cut(std::string("AB\x00\x01", 4));  // a colour code cut short ends the text
    cut.Draw();
    EXPECT_EQ(Quads().size(), 2u);
    EXPECT_EQ(cut.GetPlainText(), "AB");
}

TEST_F(TextTest, CopySharesTheFontAndLaysOutAgain) {
    CText original("Hi");
    original.SetPosition(30, 40);
    original.Draw();
    CText copy(original);
    device->ClearRecord();
    copy.Draw();
    auto q = Quads();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_FLOAT_EQ(q[0].x, 29.5f);
    EXPECT_EQ(device->CountCalls("CreateTexture"), 0u);  // the font record is shared, not loaded again
    CText assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetRawText(), "Hi");
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(TextTest, MissingFontIsReportedOnceAndTextDrawsUntextured) {
    std::filesystem::remove("data/font12.dds");
    CText text("A");
    text.Draw();
    text.SetText("B");
    text.Draw();
    std::string log = LogText(errorLog);
    EXPECT_EQ(CountOf(log, "Failed to load font \"data\\font12.dds\"\n"), 1u) << log;
    EXPECT_EQ(CountOf(log, "Failed to load image"), 1u);
    EXPECT_EQ(device->CountCalls("DrawPrimitive("), 2u);
}

TEST_F(TextTest, SamplerFiltersAreLinearWhileDrawingAndRestoredAfter) {
    device->SetSamplerState(0, gfx::SamplerState::MinFilter, gfx::filter::Point);
    device->SetSamplerState(0, gfx::SamplerState::MagFilter, gfx::filter::Point);
    device->ClearRecord();
    CText("A").Draw();
    auto calls = device->CallTexts("SetSamplerState(0");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(calls[0], calls[2]);
    EXPECT_EQ(device->GetSamplerState(0, gfx::SamplerState::MinFilter), gfx::filter::Point);
    EXPECT_EQ(device->GetSamplerState(0, gfx::SamplerState::MagFilter), gfx::filter::Point);
}

// ---- text windows -------------------------------------------------------------------------------------

std::vector<std::string> PlainLines(const CTextWindow& window) {
    std::vector<std::string> plain;
    for (const CText& line : window.GetLines()) plain.push_back(line.GetPlainText());
    return plain;
}

TEST_F(TextTest, WindowBreaksAHundredCharactersIntoFortyThreeFortyTwoAndFifteen) {
    CTextWindow window(25, 25, 350, 525, 100);
    EXPECT_EQ(window.CharactersPerLine(), 43u);
    EXPECT_EQ(window.VisibleLines(), 43u);
    std::string message;
    for (int i = 0; i < 100; ++i) message += char('A' + i % 26);
    window.AddText(message);
    EXPECT_EQ(PlainLines(window),
              (std::vector<std::string>{message.substr(0, 43), " " + message.substr(43, 42),
                                        " " + message.substr(85)}));
}

TEST_F(TextTest, WindowLineFeedsEndLines) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"hello\n", {"hello"}},
        {"\n", {""}},
        {"", {""}},
        {"one\ntwo", {"one", " two"}},
        {"one\n\ntwo", {"one", " ", " two"}},
        {std::string(87, 'q'), {std::string(87, 'q')}}};
    for (const auto& [message, lines] : cases) {
        CTextWindow window(50, 300, 700, 250, 100);
        window.AddText(message);
        EXPECT_EQ(PlainLines(window), lines) << message;
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

TEST_F(TextTest, WindowDropsSizeCodesWithOneWarningPerMessage) {
    CTextWindow window(0, 0, 700, 250, 100);
    CText message("big");
    message.SetSize(30);
    message.Append("ger");
    message.SetSize(40);
    window.AddText(message);
    window.AddText(message);
    std::string log = LogText(errorLog);
    EXPECT_EQ(CountOf(log,
                      "Warning: Size Change not allowed in CText added to CTextWindow.\n  -Message:\nbigger\n"
                      "  -Call made from:"),
              2u)
        << log;
    EXPECT_EQ(window.GetLines()[0].GetRawText().find('\x01'), std::string::npos);
}

TEST_F(TextTest, WindowQueueIsBounded) {
    CTextWindow window(0, 0, 700, 250, 100);
    for (int i = 0; i < 101; ++i) window.AddText("line " + std::to_string(i));
    ASSERT_EQ(window.GetLines().size(), 100u);
    EXPECT_EQ(window.GetLines().front().GetPlainText(), "line 1");
    EXPECT_EQ(window.GetLines().back().GetPlainText(), "line 100");
}

TEST_F(TextTest, WindowDrawsItsFrameAndOnlyTheVisibleLinesWhereverItIs) {
    CTextWindow window(0, 0, 350, 525, 100);
    for (int i = 0; i < 50; ++i) window.AddText("L" + std::to_string(i % 10));
    window.SetPosition(25, 25);
    window.Draw();
    ASSERT_GE(device->draws.size(), 5u);
    const float frame[4][4] = {
        {25, 25, 375, 25}, {25, 550, 375, 550}, {25, 25, 25, 550}, {375, 25, 375, 550}};
    for (int i = 0; i < 4; ++i) {
        const auto& d = device->draws[i];
        EXPECT_EQ(d.type, gfx::PrimitiveType::LineList);
        gfx::ScreenVertex a = d.Screen(0), b = d.Screen(1);
        EXPECT_EQ(std::make_tuple(a.x, a.y, b.x, b.y),
                  std::make_tuple(frame[i][0], frame[i][1], frame[i][2], frame[i][3]));
        EXPECT_EQ(a.colour, 0xffffffffu);
    }
    auto q = Quads();
    ASSERT_EQ(q.size(), 43u * 2);  // lines 7 to 49, two glyphs each
    EXPECT_FLOAT_EQ(q[0].x, 24.5f);
    EXPECT_FLOAT_EQ(q[0].y, 24.5f);
    EXPECT_EQ(q[0].u, float((('L' - 0x20) % 10) * 0.09375));
    EXPECT_FLOAT_EQ(q[1].u, float((('7' - 0x20) % 10) * 0.09375));
    EXPECT_FLOAT_EQ(q.back().y, 24.5f + 42 * 12);
    EXPECT_EQ(q[0].colour, 0xffc8c8c8u);  // the default colour 200, 200, 200, 255
}

}  // namespace
