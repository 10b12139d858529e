// The image readers against files written by ImageMagick and hand-made BMPs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/ImageFile.h"
#include "support/TestSupport.h"

using namespace imagetest;

namespace {

TEST(ImageFileEncoded, DecodesWhatImageMagickWrote) {
    // Per-channel tolerance against ImageMagick's own decode of the very file; levels of the 8 x 4 pattern.
    const struct {
        const char* file;
        bool withAlpha;
        const char* convertArgs;
        gfx::Format format;
        int tolerance;
        uint32_t mipLevels;
    } cases[] = {
        {"24.bmp", false, "", gfx::fmt::R8G8B8, 0, 1},
        {"32alpha.bmp", true, "", gfx::fmt::A8R8G8B8, 0, 1},
        {"8palette.bmp", false, "-colors 16 -type palette -define bmp:format=bmp3", gfx::fmt::P8, 0, 1},
        {"rgba.png", true, "", gfx::fmt::A8R8G8B8, 0, 1},
        {"argb.dds", true, "-define dds:compression=none", gfx::fmt::A8R8G8B8, 0, 4},
        {"dxt1.dds", false, "-define dds:compression=dxt1", gfx::fmt::DXT1, 3, 4},
        {"dxt5.dds", true, "-define dds:compression=dxt5", gfx::fmt::DXT5, 3, 4},
    };
    ScratchFolder folder("image_encoded");
    const uint32_t w = 8, h = 4;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto source = folder.path() / "source.rgba", reference = folder.path() / "reference.rgba";
        auto encoded = folder.path() / c.file;
        WriteRgba(source, Pattern(w, h, c.withAlpha));
        ASSERT_TRUE(Convert("-size 8x4 -depth 8 rgba:" + source.string() +
                            (c.withAlpha ? " " : " -alpha off ") + c.convertArgs + " " + encoded.string()));
        ASSERT_TRUE(Convert(encoded.string() + " -depth 8 rgba:" + reference.string()));
        std::vector<uint32_t> expected = ReadRgba(reference);
        auto bytes = ReadBytes(encoded);
        gfx::ImageFileInfo info;
        ASSERT_TRUE(gfx::ReadImageFileInfo(bytes.data(), bytes.size(), &info));
        EXPECT_EQ(std::make_tuple(info.width, info.height, info.mipLevels, info.format),
                  std::make_tuple(w, h, c.mipLevels, c.format));

        gfx::DecodedImage image;
        ASSERT_TRUE(gfx::DecodeImageFile(bytes.data(), bytes.size(), &image));
        ASSERT_EQ(image.levels.size(), c.mipLevels);
        int worst = 0;
        for (size_t i = 0; i < w * h * 4; ++i)
            worst = std::max(worst, std::abs(int(image.levels[0].argb.at(i / 4) >> i % 4 * 8 & 255) -
                                             int(expected.at(i / 4) >> i % 4 * 8 & 255)));
        EXPECT_LE(worst, c.tolerance);  // alpha included: 255 where the file has none
        EXPECT_EQ(!image.dxtLevels.empty(), gfx::IsCompressedFormat(c.format));
    }
}

TEST(ImageFileDxt, Dxt3ExplicitAlpha) {
    // Alpha nibbles 0..15 across the block; colours c0 = white, c1 = black, every index 0.
    std::vector<uint8_t> dxt3 = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe,
                                 0xff, 0xff, 0,    0,    0,    0,    0,    0};
    std::vector<uint32_t> argb;
    ASSERT_TRUE(gfx::DecodeDxt(gfx::fmt::DXT3, dxt3.data(), dxt3.size(), 4, 4, &argb));
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(argb[i], (i * 17) << 24 | 0xffffffu) << i;
    EXPECT_FALSE(gfx::DecodeDxt(gfx::fmt::DXT3, dxt3.data(), 15, 4, 4, &argb));
}

// A BMP with a 40-byte header: pixel rows in file order, palette entries as BGRX bytes before them.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                             const std::vector<uint8_t>& palette, const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    const uint32_t pixelOffset = uint32_t(54 + palette.size()), dibSize = 40, planesAndBits = 1u | bits << 16;
    const std::pair<size_t, uint32_t> fields[] = {{10, pixelOffset},     {14, dibSize},
                                                  {18, uint32_t(width)}, {22, uint32_t(height)},
                                                  {26, planesAndBits},   {30, compression}};
    for (const auto& [at, v] : fields) std::memcpy(&bmp[at], &v, 4);
    bmp.insert(bmp.end(), palette.begin(), palette.end());
    bmp.insert(bmp.end(), rows.begin(), rows.end());
    return bmp;
}

// Top row red, green; bottom row blue, white: however the file stores it.
TEST(ImageFileBmp, ReadsEveryStoredVariantOrRefusesIt) {
    using Bytes = std::vector<uint8_t>;
    const std::vector<uint32_t> picture = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    const Bytes palette = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    const Bytes bottomUp24 = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    const struct {
        const char* name;
        Bytes bmp;
        bool reads;  // else the header is refused
    } cases[] = {
        {"24BottomUp", MakeBmp(2, 2, 24, 0, {}, bottomUp24), true},
        {"24LastPaddingMissing", MakeBmp(2, 2, 24, 0, {}, Bytes(bottomUp24.begin(), bottomUp24.end() - 2)),
         true},
        {"8TopDown", MakeBmp(2, -2, 8, 0, palette, {0, 1, 0, 0, 2, 3, 0, 0}), true},
        {"4BottomUp", MakeBmp(2, 2, 4, 0, palette, {0x23, 0, 0, 0, 0x01, 0, 0, 0}), true},
        {"32TopDown", MakeBmp(2, -2, 32, 0, {}, {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0}),
         true},
        {"rle8", MakeBmp(2, 2, 8, 1, palette, {2, 0, 0, 0, 2, 1, 0, 1}), false},
        {"16bit", MakeBmp(2, 2, 16, 0, {}, Bytes(8, 0)), false},
        {"paletteWithoutRoom", MakeBmp(2, 2, 8, 0, {}, Bytes(8, 0)), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gfx::ImageFileInfo info;
        EXPECT_EQ(gfx::ReadImageFileInfo(c.bmp.data(), c.bmp.size(), &info), c.reads);
        gfx::DecodedImage image;
        ASSERT_EQ(gfx::DecodeImageFile(c.bmp.data(), c.bmp.size(), &image), c.reads);
        if (c.reads) {
            EXPECT_EQ(image.levels[0].argb, picture);
        }
    }
}

}  // namespace
