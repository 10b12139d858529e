// Text and textures drawn by the OpenGL device under Xvfb, judged by the pixels read back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/Primitives.h"
#include "gfx/gl/GlDevice.h"
#include "support/GlFrameTest.h"

namespace {

class TextGl : public GlFrameTest {
protected:
    void SetUp() override {
        GlFrameTest::SetUp();
        if (!IsSkipped()) Start();
    }
};

// Leaving blank glyphs out changes no byte: every glyph, runs of blanks, over a gradient and a background.
TEST_F(TextGl, LeavingBlankGlyphsOutDrawsTheSameFrame) {
    const char* bin = std::getenv("VELM_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    WorkingDirectory game(std::filesystem::path(bin) / "game");
    std::string glyphs;
    for (int c = 0x20; c <= 0x7f; ++c) glyphs += char(c) + std::string(c % 3, ' ');
    auto frame = [&](bool leaveOut) {
        DXG::Clear(0xFF000000, true, true);
        DXG::DrawGradient(0, 0, 800, 600, 0xFF204080, 0xFFC0A020, 0xFF10E0F0, 0xFF803010);
        CText text;
        text.SetPosition(3, 5);
        text.SetWidthLimit(780);
        text.SetColour(250, 120, 30, 200);
        text.Append(glyphs);
        text.SetBackground(20, 40, 60);
        text.Append(" a  b ");
        text.SetLeaveOutBlankGlyphs(leaveOut);
        text.Draw();
        return Frame().pixels;
    };
    const std::vector<uint32_t> all = frame(false);
    EXPECT_TRUE(all == frame(true));
}

TEST_F(TextGl, PlacedTextureCoversExactlyItsPixelRectangle) {
    // A created 64 x 32 texture, red in its left half and blue in its right half.
    DXG::Texture texture;
    ASSERT_TRUE(texture.Create(64, 32, DXG::OPAQUE));
    gfx::LockedRect rect;
    ASSERT_EQ(texture.GetDeviceTexture()->LockRect(0, &rect, gfx::kLockNone), gfx::Result::Ok);
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            static_cast<uint32_t*>(rect.bits)[y * rect.pitch / 4 + x] = x < 32 ? 0xffff0000u : 0xff0000ffu;
    texture.GetDeviceTexture()->UnlockRect(0);
    DXG::DrawTexture(10.0f, 20.0f, texture, 1.0f);
    gfx::Image image = Frame();
    int wrong = 0;
    for (uint32_t y = 15; y < 60; ++y)
        for (uint32_t x = 5; x < 80; ++x) {
            bool inside = x >= 11 && x <= 74 && y >= 21 && y <= 52;
            if (!inside || (x != 42 && x != 43))  // the halves blend at their seam
                wrong += (image.At(x, y) & 0xffffff) != (inside ? (x < 43 ? 0xff0000u : 0x0000ffu) : 0u);
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
