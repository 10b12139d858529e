// Text, primitives and textures drawn by the OpenGL device under Xvfb, judged by the pixels read back:
// glyphs of the generated font where the layout puts them, the gradient's centre, the placed texture's
// exact pixel rectangle and a mirrored stretched texture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/CText.h"
#include "gfx/DXG.h"
#include "gfx/GlDevice.h"
#include "gfx/Primitives.h"
#include "gfx/Texture.h"
#include "platform/Window.h"
#include "support/TestSupport.h"

namespace {

int Channel(uint32_t argb, int shift) {
    return int(argb >> shift & 255);
}
int Brightness(uint32_t argb) {
    return std::max({Channel(argb, 16), Channel(argb, 8), Channel(argb, 0)});
}

class TextGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::WindowSettings settings{"TextGl", "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok)
            window = nullptr;
    }
    static void TearDownTestSuite() {
        DXG::resetForTests();
        platform::DestroyAppWindow(window);
        window = nullptr;
    }
    void SetUp() override {
        if (!window) GTEST_SKIP() << "no display";
        DXG::resetForTests();
        DXG::Texture::resetForTests();
        DXG::Setup setup;
        ASSERT_TRUE(DXG::Init(window, &setup)) << LogText(errorLog);
        device = DXG::GetDevice();
        ASSERT_TRUE(DXG::BeginFrame(0.01f, false, false));
        DXG::Clear(0xff000000, true, true);
        ClearLog(errorLog);
    }
    void TearDown() override {
        if (device != nullptr) DXG::EndFrame0();
        DXG::resetForTests();
    }
    gfx::Image Frame() {
        gfx::Image image;
        EXPECT_TRUE(device->ReadRenderTarget(&image));
        return image;
    }
    // A created texture filled with a colour per texel.
    void Fill(DXG::Texture& texture, uint32_t (*colourAt)(uint32_t x, uint32_t y)) {
        auto t = texture.GetDeviceTexture();
        gfx::LockedRect rect;
        ASSERT_EQ(t->LockRect(0, &rect, gfx::kLockNone), gfx::Result::Ok);
        for (uint32_t y = 0; y < uint32_t(texture.GetHeight()); ++y) {
            for (uint32_t x = 0; x < uint32_t(texture.GetWidth()); ++x) {
                uint32_t c = colourAt(x, y);
                std::memcpy(static_cast<uint8_t*>(rect.bits) + y * rect.pitch + 4 * x, &c, 4);
            }
        }
        t->UnlockRect(0);
    }

    static void* window;
    gfx::Device* device = nullptr;
};
void* TextGl::window = nullptr;

TEST_F(TextGl, GeneratedFontShowsGlyphPixelsWhereTheLayoutPutsThem) {
    const char* bin = std::getenv("VELM_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    WorkingDirectory game(std::filesystem::path(bin) / "game");
    CText text("H I");
    text.SetPosition(100, 100);
    text.Draw();
    gfx::Image image = Frame();
    EXPECT_EQ(LogText(errorLog), "");
    auto litIn = [&](uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1) {
        int lit = 0;
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x) lit += Brightness(image.At(x, y)) > 96;
        return lit;
    };
    // 'H' lit in [100, 108), the blank's band dark, 'I' in [116, 124), and nothing outside those cells.
    int h = litIn(100, 108, 100, 112), i = litIn(116, 124, 100, 112);
    EXPECT_GT(h, 10);
    EXPECT_GT(i, 5);
    EXPECT_EQ(litIn(80, 160, 90, 130), h + i);

    // A red second line one line height (12) lower.
    text.SetText("H\n");
    text.SetColour(255, 0, 0, 255);
    text.Append("H");
    DXG::Clear(0xff000000, true, true);
    text.Draw();
    image = Frame();
    uint32_t brightest = 0;
    for (uint32_t y = 112; y < 124; ++y)
        for (uint32_t x = 100; x < 108; ++x)
            if (Brightness(image.At(x, y)) > Brightness(brightest)) brightest = image.At(x, y);
    EXPECT_GT(Channel(brightest, 16), 96);
    EXPECT_LT(std::max(Channel(brightest, 8), Channel(brightest, 0)), 16);
}

TEST_F(TextGl, GradientCentreIsTheMeanColour) {
    DXG::DrawGradient(100, 100, 200, 100, 0xff000000, 0xff000000, 0xffffffff, 0xffffffff);
    gfx::Image image = Frame();
    uint32_t centre = image.At(200, 150);
    for (int shift : {16, 8, 0}) EXPECT_NEAR(Channel(centre, shift), 0x7f, 3) << std::hex << centre;
    EXPECT_LT(Brightness(image.At(200, 102)), 12);
    EXPECT_GT(Brightness(image.At(200, 198)), 243);
}

TEST_F(TextGl, PlacedTextureCoversExactlyItsPixelRectangleAndHalfOpacityBlends) {
    DXG::Texture texture;
    ASSERT_TRUE(texture.Create(64, 32, DXG::OPAQUE));
    Fill(texture, [](uint32_t, uint32_t) { return 0xffff0000u; });
    DXG::DrawTexture(10.0f, 20.0f, texture, 1.0f);
    DXG::DrawTexture(100.0f, 20.0f, texture, 0.5f);
    DXG::DrawTexture(200.0f, 20.0f, texture, -1.0f);  // fully transparent: the alpha test discards it
    gfx::Image image = Frame();
    int wrong = 0;
    for (uint32_t y = 15; y < 60; ++y) {
        for (uint32_t x = 5; x < 80; ++x) {
            bool inside = x >= 11 && x <= 74 && y >= 21 && y <= 52;
            wrong += (image.At(x, y) & 0xffffff) != (inside ? 0xff0000u : 0u);
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_NEAR(Channel(image.At(130, 30), 16), 127, 3);
    EXPECT_EQ(image.At(230, 30) & 0xffffff, 0u);
}

TEST_F(TextGl, StretchedTextureWithSwappedXIsMirrored) {
    DXG::Texture texture;
    ASSERT_TRUE(texture.Create(64, 32, DXG::OPAQUE));
    Fill(texture, [](uint32_t x, uint32_t) { return x < 32 ? 0xffff0000u : 0xff0000ffu; });
    DXG::DrawStretchedTexture(300.0f, 100.0f, 100.0f, 200.0f, texture, 1.0f);
    DXG::DrawStretchedTexture(400.0f, 100.0f, 600.0f, 200.0f, texture, 1.0f);
    gfx::Image image = Frame();
    EXPECT_EQ(image.At(120, 150) & 0xffffff, 0x0000ffu);  // the blue half now on the left
    EXPECT_EQ(image.At(280, 150) & 0xffffff, 0xff0000u);
    EXPECT_EQ(image.At(420, 150) & 0xffffff, 0xff0000u);  // unmirrored copy for comparison
    EXPECT_EQ(image.At(580, 150) & 0xffffff, 0x0000ffu);
}

TEST_F(TextGl, LoadedFilesOfEachStorageFormatDrawTheirColours) {
    ScratchFolder folder("gl_textures");
    WorkingDirectory cwd(folder.path());
    // Quadrants red, green, blue, white in a 24-bit BMP; a DXT1 file and a DXT5 file of one colour each.
    std::vector<uint32_t> quadrants(64 * 64);
    const uint32_t colours[4] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu};
    for (uint32_t i = 0; i < quadrants.size(); ++i)
        quadrants[i] = colours[(i / 64 >= 32) * 2 + (i % 64 >= 32)];
    imagetest::WriteBmp24("quadrants.bmp", 64, 64, quadrants);
    ASSERT_TRUE(imagetest::Convert("-size 16x16 xc:#ff8000 -define dds:compression=dxt1 orange.dds"));
    ASSERT_TRUE(imagetest::Convert("-size 16x16 xc:#00c0ff -alpha set -define dds:compression=dxt5 sky.dds"));
    DXG::Texture bmp, dxt1, dxt5;
    ASSERT_TRUE(bmp.Load("quadrants.bmp", DXG::FROM_FILE, true, true));
    ASSERT_TRUE(dxt1.Load("orange.dds", DXG::FROM_FILE, false, false));
    ASSERT_TRUE(dxt5.Load("sky.dds", DXG::FROM_FILE, true, true));
    EXPECT_EQ(dxt1.GetDeviceTexture()->GetLevelDesc(0).format, gfx::fmt::DXT1);
    DXG::DrawTexture(100.0f, 100.0f, bmp, 1.0f);
    DXG::DrawTexture(200.0f, 100.0f, dxt1, 1.0f);
    DXG::DrawTexture(300.0f, 100.0f, dxt5, 1.0f);
    gfx::Image image = Frame();
    const std::tuple<uint32_t, uint32_t, uint32_t> probes[] = {{110, 110, 0xff0000}, {150, 110, 0x00ff00},
                                                               {110, 150, 0x0000ff}, {150, 150, 0xffffff},
                                                               {208, 108, 0xff8000}, {308, 108, 0x00c0ff}};
    for (const auto& [x, y, rgb] : probes) {
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(Channel(image.At(x, y), shift), Channel(rgb, shift), 8) << x << "," << y;
    }
}

}  // namespace
