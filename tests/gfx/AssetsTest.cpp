// The generated data files: formats and sizes the client's loaders need, the font's glyph grid, and the
// same bytes from every run of the generator.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageTestSupport.h"
#include "gfx/ImageFile.h"
#include "support/TestSupport.h"

namespace {

std::filesystem::path GameData() {
    const char* bin = std::getenv("VELM_BIN_DIR");
    return std::filesystem::path(bin != nullptr ? bin : ".") / "game" / "data";
}

gfx::DecodedImage Decode(const std::filesystem::path& path) {
    auto bytes = imagetest::ReadBytes(path);
    gfx::DecodedImage image;
    EXPECT_TRUE(gfx::DecodeImageFile(bytes.data(), bytes.size(), &image)) << path;
    return image;
}

bool PowerOfTwo(uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

struct AssetCase {
    const char* file;
    gfx::Format format;
    bool alpha;
};

class AssetsTest : public ::testing::TestWithParam<AssetCase> {};

TEST_P(AssetsTest, HasThePixelFormatAndPowerOfTwoSize) {
    gfx::DecodedImage image = Decode(GameData() / GetParam().file);
    EXPECT_EQ(image.info.format, GetParam().format);
    EXPECT_EQ(gfx::FormatHasAlpha(image.info.format), GetParam().alpha);
    EXPECT_TRUE(PowerOfTwo(image.info.width) && PowerOfTwo(image.info.height));
}

INSTANTIATE_TEST_SUITE_P(Files, AssetsTest,
                         ::testing::Values(AssetCase{"font12.dds", gfx::fmt::A8R8G8B8, true},
                                           AssetCase{"pickINI.bmp", gfx::fmt::R8G8B8, false},
                                           AssetCase{"walls/stone1.bmp", gfx::fmt::R8G8B8, false},
                                           AssetCase{"misc/dream0.dds", gfx::fmt::A8R8G8B8, true}));

TEST(AssetsFont, GlyphsSitInTenColumnsOfTwentyFourPixelCells) {
    gfx::DecodedImage font = Decode(GameData() / "font12.dds");
    ASSERT_EQ(font.info.width, 256u);
    ASSERT_EQ(font.info.height, 256u);
    auto coverage = [&](int byte) {
        int n = byte - 0x20, x0 = (n % 10) * 24, y0 = (n / 10) * 24, total = 0;
        for (int y = y0; y < y0 + 24; ++y)
            for (int x = x0; x < x0 + 24; ++x) total += int(font.levels[0].argb[y * 256 + x] >> 24);
        return total;
    };
    EXPECT_EQ(coverage(' '), 0);
    for (int byte = 0x21; byte <= 0x7f; ++byte) EXPECT_GT(coverage(byte), 255) << byte;
    EXPECT_GT(coverage('W'), coverage('.'));
    // Outside the 96 cells the texture is empty.
    for (int y = 0; y < 256; ++y)
        for (int x = 240; x < 256; ++x) ASSERT_EQ(font.levels[0].argb[y * 256 + x] >> 24, 0u);
    // Colour is white everywhere, so the vertex colour alone decides the text's colour.
    for (uint32_t c : font.levels[0].argb) ASSERT_EQ(c & 0xffffff, 0xffffffu);
}

TEST(AssetsMarker, HasBlackAsTheKeyAroundTheMarker) {
    gfx::DecodedImage marker = Decode(GameData() / "pickINI.bmp");
    const auto& p = marker.levels[0].argb;
    EXPECT_EQ(p.front(), 0xff000000u);
    EXPECT_EQ(p.back(), 0xff000000u);
    size_t lit = 0;
    for (uint32_t c : p) lit += c != 0xff000000u;
    EXPECT_GT(lit, p.size() / 5);
}

TEST(AssetsGenerator, WritesTheSameBytesEveryRun) {
    ScratchFolder folder("assets_again");
    auto program = BuiltProgram("tools/make-assets/make-assets");
    ASSERT_EQ(RunCommand(program.string() + " /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf " +
                         folder.path().string()),
              0);
    for (const char* file : {"font12.dds", "pickINI.bmp", "walls/stone1.bmp", "misc/dream0.dds"}) {
        EXPECT_EQ(imagetest::ReadBytes(folder.path() / file), imagetest::ReadBytes(GameData() / file))
            << file;
    }
    EXPECT_NE(RunCommand(program.string() + " 2>/dev/null"), 0);
}

}  // namespace
