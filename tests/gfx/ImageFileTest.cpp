// The image readers against files written by ImageMagick, hand-made BMPs and a damaged PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/ImageFile.h"
#include "support/TestSupport.h"

using namespace imagetest;

namespace {

TEST(ImageFileEncoded, DecodesWhatImageMagickWrote) {
    const struct {
        const char* name;
        bool withAlpha;           // the source pattern has varying alpha
        const char* convertArgs;  // between the input and the output file
        const char* extension;
        gfx::Format format;  // the format the reader must report
        int tolerance;       // per channel, against ImageMagick's own decode of the file
        uint32_t mipLevels;  // levels the file stores (8 x 4 pattern)
    } cases[] = {
        {"bmp24", false, "", "bmp", gfx::fmt::R8G8B8, 0, 1},
        {"bmp32alpha", true, "", "bmp", gfx::fmt::A8R8G8B8, 0, 1},
        {"bmp8palette", false, "-colors 16 -type palette -define bmp:format=bmp3", "bmp", gfx::fmt::P8, 0, 1},
        {"png_rgba", true, "", "png", gfx::fmt::A8R8G8B8, 0, 1},
        {"dds_argb", true, "-define dds:compression=none", "dds", gfx::fmt::A8R8G8B8, 0, 4},
        {"dds_dxt1", false, "-define dds:compression=dxt1", "dds", gfx::fmt::DXT1, 3, 4},
        {"dds_dxt5", true, "-define dds:compression=dxt5", "dds", gfx::fmt::DXT5, 3, 4},
        {"dds_nomips", true, "-define dds:compression=none -define dds:mipmaps=0", "dds", gfx::fmt::A8R8G8B8,
         0, 1},
    };
    ScratchFolder folder("image_encoded");
    const uint32_t w = 8, h = 4;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = folder.path() / "source.rgba", reference = folder.path() / "reference.rgba";
        auto encoded = folder.path() / (std::string(c.name) + "." + c.extension);
        WriteRgba(source, Pattern(w, h, c.withAlpha));
        ASSERT_TRUE(Convert("-size 8x4 -depth 8 rgba:" + source.string() +
                            (c.withAlpha ? " " : " -alpha off ") + c.convertArgs + " " + encoded.string()));
        // The reference is ImageMagick's decode of the very file.
        ASSERT_TRUE(Convert(encoded.string() + " -depth 8 rgba:" + reference.string()));
        std::vector<uint32_t> expected = ReadRgba(reference);
        ASSERT_GE(expected.size(), size_t(w * h));

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
                                             int(expected[i / 4] >> i % 4 * 8 & 255)));
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

// A PNG whose pixel chunk is empty (running on into a damaged chunk) is refused; its header still reads.
TEST(ImageFileFindings, PngWithEmptyPixelChunkIsRefused) {
    const char* hex =
        "89504e470d0a1a0a0000000d49484452000000040000000404030000005bdf834d0000000467414d410000b18f0bfc610500"
        "0000206348524d00007a260000808400008800000080e8000075300000ea6000003a98000017709cba513c0000000f504c54"
        "45ff0000aa00555500aa0000ffffffff9b04b78800000001624b4744048f68d9510000000774494d4507ea0c061427080100"
        "0000000000004944415408d790606060f0eb9baf52623135060002d600cd653d8ff50000002574455874646174653a637265"
        "61746500323032363631322d30365432303a33393a30387fffffffffffffff7c000000002574455874646174653a6d6f6469"
        "667900323032362d31322d30365432303a33393a30382b30303a3030fa04179c0000000049454e44ae426082";
    std::vector<uint8_t> png;
    for (const char* p = hex; *p != 0; p += 2)
        png.push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
    gfx::ImageFileInfo info;
    ASSERT_TRUE(gfx::ReadImageFileInfo(png.data(), png.size(), &info));
    EXPECT_EQ(std::make_pair(info.width, info.height), std::make_pair(4u, 4u));
    gfx::DecodedImage image;
    EXPECT_FALSE(gfx::DecodeImageFile(png.data(), png.size(), &image));
}

}  // namespace
