// The image readers against files written by ImageMagick, and against truncated and corrupt files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/ImageFile.h"
#include "support/TestSupport.h"

using namespace imagetest;

namespace {

struct EncodedCase {
    const char* name;
    bool withAlpha;           // the source pattern has varying alpha
    const char* convertArgs;  // between the input and the output file
    const char* extension;
    gfx::Format format;  // the format the reader must report
    int tolerance;       // per channel, against ImageMagick's own decode of the file
    uint32_t mipLevels;  // levels the file stores (8 x 4 pattern)
};

class ImageFileEncodedTest : public ::testing::TestWithParam<EncodedCase> {};

TEST_P(ImageFileEncodedTest, DecodesWhatImageMagickWrote) {
    const EncodedCase& c = GetParam();
    ScratchFolder folder(std::string("image_") + c.name);
    const uint32_t w = 8, h = 4;
    auto pattern = Pattern(w, h, c.withAlpha);
    auto source = folder.path() / "source.pam";
    WritePam(source, w, h, pattern, c.withAlpha);
    auto encoded = folder.path() / (std::string("image.") + c.extension);
    ASSERT_TRUE(Convert(source.string() + " " + c.convertArgs + " " + encoded.string()));

    // The reference is ImageMagick's decode of the very file (lossy formats differ from the pattern).
    auto reference = folder.path() / "reference.pam";
    ASSERT_TRUE(
        Convert(encoded.string() + " " +
                (c.withAlpha ? "-depth 8 -type TrueColorAlpha " : "-depth 8 -alpha off -type TrueColor ") +
                reference.string()));
    uint32_t rw = 0, rh = 0;
    std::vector<uint32_t> expected;
    ASSERT_TRUE(ReadPam(reference, &rw, &rh, &expected));

    auto bytes = ReadBytes(encoded);
    gfx::ImageFileInfo info;
    ASSERT_TRUE(gfx::ReadImageFileInfo(bytes.data(), bytes.size(), &info));
    EXPECT_EQ(info.width, w);
    EXPECT_EQ(info.height, h);
    EXPECT_EQ(info.format, c.format) << std::hex << info.format;
    EXPECT_EQ(info.mipLevels, c.mipLevels);
    EXPECT_EQ(info.resourceType, gfx::ImageResourceType::Texture);

    gfx::DecodedImage image;
    ASSERT_TRUE(gfx::DecodeImageFile(bytes.data(), bytes.size(), &image));
    ASSERT_EQ(image.levels.size(), c.mipLevels);
    ASSERT_EQ(image.levels[0].argb.size(), size_t(w * h));
    EXPECT_EQ(image.levels[1 % c.mipLevels].width, c.mipLevels > 1 ? 4u : w);
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            int a = int(image.levels[0].argb[i] >> shift & 255), b = int(expected[i] >> shift & 255);
            worst = std::max(worst, std::abs(a - b));
        }
    }
    EXPECT_LE(worst, c.tolerance);
    if (!c.withAlpha) {
        for (uint32_t p : image.levels[0].argb) ASSERT_EQ(p >> 24, 255u);
    }
    EXPECT_EQ(!image.dxtLevels.empty(), gfx::IsCompressedFormat(c.format));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageFileEncodedTest,
    ::testing::Values(
        EncodedCase{"bmp24", false, "", "bmp", gfx::fmt::R8G8B8, 0, 1},
        EncodedCase{"bmp3_24", false, "-type truecolor", "bmp", gfx::fmt::R8G8B8, 0, 1},
        EncodedCase{"bmp32alpha", true, "", "bmp", gfx::fmt::A8R8G8B8, 0, 1},
        EncodedCase{"bmp8palette", false, "-colors 16 -type palette -define bmp:format=bmp3", "bmp",
                    gfx::fmt::P8, 0, 1},
        EncodedCase{"png_rgba", true, "", "png", gfx::fmt::A8R8G8B8, 0, 1},
        EncodedCase{"png_rgb", false, "-type truecolor", "png", gfx::fmt::R8G8B8, 0, 1},
        EncodedCase{"dds_argb", true, "-define dds:compression=none", "dds", gfx::fmt::A8R8G8B8, 0, 4},
        EncodedCase{"dds_rgb", false, "-define dds:compression=none", "dds", gfx::fmt::R8G8B8, 0, 4},
        EncodedCase{"dds_dxt1", false, "-define dds:compression=dxt1", "dds", gfx::fmt::DXT1, 3, 4},
        EncodedCase{"dds_dxt5", true, "-define dds:compression=dxt5", "dds", gfx::fmt::DXT5, 3, 4},
        EncodedCase{"dds_nomips", true, "-define dds:compression=none -define dds:mipmaps=0", "dds",
                    gfx::fmt::A8R8G8B8, 0, 1}),
    [](const ::testing::TestParamInfo<EncodedCase>& info) { return std::string(info.param.name); });

// A hand-made DDS: header fields at their offsets, then the data.
std::vector<uint8_t> MakeDds(uint32_t width, uint32_t height, uint32_t pfFlags, uint32_t fourCC,
                             uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                             size_t dataBytes) {
    std::vector<uint8_t> dds(128 + dataBytes, 0);
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&dds[at], &v, 4); };
    std::memcpy(dds.data(), "DDS ", 4);
    put(4, 124);
    put(12, height);
    put(16, width);
    put(28, 1);
    put(76, 32);
    put(80, pfFlags);
    put(84, fourCC);
    put(88, bits);
    put(92, r);
    put(96, g);
    put(100, b);
    put(104, a);
    put(108, 0x1000);
    for (size_t i = 128; i < dds.size(); ++i) dds[i] = uint8_t(i * 7);
    return dds;
}

TEST(ImageFileMasks, SixteenBitFormatsExpandToEightBits) {
    // R5G6B5 white and pure green; A4R4G4B4 half-transparent red.
    auto rgb565 = MakeDds(2, 1, 0x40, 0, 16, 0xf800, 0x7e0, 0x1f, 0, 4);
    rgb565[128] = 0xff, rgb565[129] = 0xff, rgb565[130] = 0xe0, rgb565[131] = 0x07;
    gfx::DecodedImage image;
    ASSERT_TRUE(gfx::DecodeImageFile(rgb565.data(), rgb565.size(), &image));
    EXPECT_EQ(image.info.format, gfx::fmt::R5G6B5);
    EXPECT_EQ(image.levels[0].argb[0], 0xffffffffu);
    EXPECT_EQ(image.levels[0].argb[1], 0xff00ff00u);

    auto argb4444 = MakeDds(1, 1, 0x41, 0, 16, 0xf00, 0xf0, 0xf, 0xf000, 2);
    argb4444[128] = 0x00, argb4444[129] = 0x8f;
    ASSERT_TRUE(gfx::DecodeImageFile(argb4444.data(), argb4444.size(), &image));
    EXPECT_EQ(image.info.format, gfx::fmt::A4R4G4B4);
    EXPECT_EQ(image.levels[0].argb[0], 0x88ff0000u);
}

TEST(ImageFileDxt, Dxt3ExplicitAlphaAndDxt1TransparentTexel) {
    // DXT3: alpha nibbles 0..15 across the block; colours c0 = white, c1 = black, every index 0.
    std::vector<uint8_t> dxt3 = {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe,
                                 0xff, 0xff, 0,    0,    0,    0,    0,    0};
    std::vector<uint32_t> argb;
    ASSERT_TRUE(gfx::DecodeDxt(gfx::fmt::DXT3, dxt3.data(), dxt3.size(), 4, 4, &argb));
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(argb[i], (i * 17) << 24 | 0xffffffu) << i;

    // DXT1 with c0 <= c1: index 3 is transparent black, index 2 the midpoint.
    std::vector<uint8_t> dxt1 = {0x00, 0x00, 0xff, 0xff, 0xfe, 0xff, 0xff, 0xff};
    ASSERT_TRUE(gfx::DecodeDxt(gfx::fmt::DXT1, dxt1.data(), dxt1.size(), 4, 4, &argb));
    EXPECT_EQ(argb[0], 0xff7f7f7fu);
    EXPECT_EQ(argb[1], 0x00000000u);
    EXPECT_FALSE(gfx::DecodeDxt(gfx::fmt::DXT1, dxt1.data(), 7, 4, 4, &argb));
    EXPECT_FALSE(gfx::DecodeDxt(gfx::fmt::DXT5, dxt1.data(), dxt1.size(), 4, 4, &argb));
}

TEST(ImageFileMasks, CubeAndVolumeFilesReportTheirResourceType) {
    auto cube = MakeDds(4, 4, 0x41, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000, 64 * 6);
    uint32_t caps2 = 0x200 | 0xfc00;
    std::memcpy(&cube[112], &caps2, 4);
    gfx::ImageFileInfo info;
    ASSERT_TRUE(gfx::ReadImageFileInfo(cube.data(), cube.size(), &info));
    EXPECT_EQ(info.resourceType, gfx::ImageResourceType::CubeTexture);

    auto volume = cube;
    caps2 = 0x200000;
    uint32_t depth = 2;
    std::memcpy(&volume[112], &caps2, 4);
    std::memcpy(&volume[24], &depth, 4);
    ASSERT_TRUE(gfx::ReadImageFileInfo(volume.data(), volume.size(), &info));
    EXPECT_EQ(info.resourceType, gfx::ImageResourceType::VolumeTexture);
}

// Damaged files: the header reader and the decoder refuse them without reading outside the bytes.
struct DamageCase {
    const char* name;
    bool infoOk;  // the header alone still reads
    std::vector<uint8_t> (*damage)(std::vector<uint8_t>);
};

std::vector<uint8_t> ValidDds() {
    return MakeDds(8, 8, 0x41, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000, 8 * 8 * 4);
}
std::vector<uint8_t> ValidDxt5() {
    return MakeDds(8, 8, 0x4, gfx::fmt::DXT5, 0, 0, 0, 0, 0, 4 * 16);
}
std::vector<uint8_t> Put32(std::vector<uint8_t> v, size_t at, uint32_t value) {
    if (v.size() >= at + 4) std::memcpy(&v[at], &value, 4);
    return v;
}

const DamageCase kDamage[] = {
    {"empty", false, [](std::vector<uint8_t>) { return std::vector<uint8_t>(); }},
    {"magicOnly", false,
     [](std::vector<uint8_t>) {
         return std::vector<uint8_t>{'D', 'D', 'S', ' '};
     }},
    {"headerCut", false,
     [](std::vector<uint8_t> v) {
         v.resize(60);
         return v;
     }},
    {"noData", true,
     [](std::vector<uint8_t> v) {
         v.resize(128);
         return v;
     }},
    {"dataCut", true,
     [](std::vector<uint8_t> v) {
         v.resize(128 + 100);
         return v;
     }},
    {"dxtDataCut", true,
     [](std::vector<uint8_t>) {
         auto v = ValidDxt5();
         v.resize(128 + 40);
         return v;
     }},
    {"zeroWidth", false, [](std::vector<uint8_t> v) { return Put32(v, 16, 0); }},
    {"hugeHeight", false, [](std::vector<uint8_t> v) { return Put32(v, 12, 0x7fffffff); }},
    {"badHeaderSize", false, [](std::vector<uint8_t> v) { return Put32(v, 4, 100); }},
    {"unknownMasks", false, [](std::vector<uint8_t> v) { return Put32(v, 92, 0x123); }},
    {"unknownFourCC", false, [](std::vector<uint8_t>) { return Put32(ValidDxt5(), 84, 0x30315844); }},
    {"oddBitCount", false, [](std::vector<uint8_t> v) { return Put32(v, 88, 13); }},
    {"hugeMipCount", true, [](std::vector<uint8_t> v) { return Put32(v, 28, 0xffffffff); }},
    {"bmpHeaderCut", false,
     [](std::vector<uint8_t>) {
         return std::vector<uint8_t>{'B', 'M', 1, 2, 3};
     }},
    {"bmpHugeSide", false,
     [](std::vector<uint8_t>) {
         std::vector<uint8_t> v(54, 0);
         v[0] = 'B', v[1] = 'M', v[14] = 40, v[28] = 24;
         uint32_t side = 100000, one = 1;
         std::memcpy(&v[18], &side, 4);
         std::memcpy(&v[22], &one, 4);
         return v;
     }},
    {"bmpNoPixels", true,
     [](std::vector<uint8_t>) {
         std::vector<uint8_t> v(54, 0);
         v[0] = 'B', v[1] = 'M', v[10] = 200, v[14] = 40, v[18] = 4, v[22] = 4, v[26] = 1, v[28] = 24;
         return v;
     }},
    {"pngSignatureOnly", false,
     [](std::vector<uint8_t>) { return std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}; }},
    {"text", false,
     [](std::vector<uint8_t>) {
         return std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'};
     }},
};

class ImageFileDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(ImageFileDamageTest, IsRefusedWithoutOverreading) {
    const DamageCase& c = GetParam();
    // A heap copy of exactly the damaged size, so AddressSanitizer sees any read past its end.
    std::vector<uint8_t> bytes = c.damage(ValidDds());
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    exact.shrink_to_fit();
    gfx::ImageFileInfo info;
    EXPECT_EQ(gfx::ReadImageFileInfo(exact.data(), exact.size(), &info), c.infoOk);
    gfx::DecodedImage image;
    bool decoded = gfx::DecodeImageFile(exact.data(), exact.size(), &image);
    if (std::string(c.name) == "hugeMipCount") {
        ASSERT_TRUE(decoded);  // the level count is bounded by the size and the data
        EXPECT_EQ(image.levels.size(), 1u);
    } else {
        EXPECT_FALSE(decoded);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ImageFileDamageTest, ::testing::ValuesIn(kDamage),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
