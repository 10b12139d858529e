// The floor palette from the last 768 bytes of a PCX file, including one that ImageMagick wrote.
#include "DataTestFiles.h"
#include "data/PcxPalette.h"

namespace {
class PcxPaletteTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        ResetFloorPaletteForTests();
    }
};

std::string Repeated(const std::string& pattern, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += pattern;
    }
    return out;
}

TEST_F(PcxPaletteTest, ReadsTheLast768BytesAsRedGreenBlue) {
    Write("patches/default/floor.pcx", std::string(232, '\x7F') + Repeated("\x10\x20\x30", 256));
    loadPcxPalette("patches\\default\\floor.pcx");
    for (std::uint32_t entry : FloorPalette()) {
        ASSERT_EQ(entry, 0x00102030u);
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(PcxPaletteTest, FileOfExactly768BytesIsTheWholePaletteAndASecondLoadReplacesIt) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
        bytes += static_cast<char>(255 - i);
        bytes += static_cast<char>(i ^ 0x55);
    }
    Write("a.pcx", bytes);
    Write("b.pcx", Repeated("\xFF\x01\x02", 300));
    loadPcxPalette("a.pcx");
    EXPECT_EQ(FloorPalette()[0], 0x0000FF55u);
    EXPECT_EQ(FloorPalette()[255], 0x00FF00AAu);
    loadPcxPalette("b.pcx");
    for (std::uint32_t entry : FloorPalette()) {
        ASSERT_EQ(entry, 0x00FF0102u);
    }
}

TEST_F(PcxPaletteTest, MissingFileLeavesThePaletteAndIsReported) {
    Write("a.pcx", Repeated("\x01\x02\x03", 256));
    loadPcxPalette("a.pcx");
    loadPcxPalette("patches\\default\\none.pcx");
    EXPECT_EQ(FloorPalette()[7], 0x00010203u);
    EXPECT_EQ(Log(), "Failed to open file to read pcx palette (patches\\default\\none.pcx)\n");
}

TEST_F(PcxPaletteTest, ShortFileFillsOnlyTheBytesItHas) {
    Write("a.pcx", Repeated("\x01\x02\x03", 256));
    Write("short.pcx", "\xAA\xBB\xCC\xDD\xEE");
    loadPcxPalette("a.pcx");
    loadPcxPalette("short.pcx");
    EXPECT_EQ(FloorPalette()[0], 0x00AABBCCu);
    EXPECT_EQ(FloorPalette()[1], 0x00DDEE03u);  // blue was not in the file
    EXPECT_EQ(FloorPalette()[2], 0x00010203u);
    EXPECT_EQ(FloorPalette()[255], 0x00010203u);
    loadPcxPalette("a.pcx");
    Write("empty.pcx", "");
    loadPcxPalette("empty.pcx");
    EXPECT_EQ(FloorPalette()[0], 0x00010203u);
    EXPECT_EQ(Log(), "");
}

// The pixels of an ImageMagick PCX, decoded here and looked up in the palette the reader loaded, are
// the colours of the picture it was made from.
TEST_F(PcxPaletteTest, ImageMagickPcxGivesThePicturesColours) {
    const std::uint32_t colours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0x0A141E, 0xFFFFFF, 0x808000}};
    std::string ppm = "P3\n3 2\n255\n";
    for (const auto& row : colours) {
        for (std::uint32_t c : row) {
            ppm += std::to_string(c >> 16) + " " + std::to_string((c >> 8) & 0xFF) + " " +
                   std::to_string(c & 0xFF) + "\n";
        }
    }
    Write("picture.ppm", ppm);
    ASSERT_EQ(RunCommand("convert picture.ppm -type Palette picture.pcx"), 0);
    loadPcxPalette("picture.pcx");
    EXPECT_EQ(Log(), "");

    const std::string pcx = ReadTextFile("picture.pcx");
    ASSERT_GT(pcx.size(), 128u + 769u);
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(pcx[i]); };
    ASSERT_EQ(byte(3), 8);   // bits per pixel
    ASSERT_EQ(byte(65), 1);  // planes
    const int width = (byte(8) | byte(9) << 8) - (byte(4) | byte(5) << 8) + 1;
    const int bytesPerLine = byte(66) | byte(67) << 8;
    ASSERT_EQ(width, 3);
    std::vector<std::uint8_t> indices;
    for (std::size_t i = 128;
         indices.size() < static_cast<std::size_t>(2 * bytesPerLine) && i < pcx.size();) {
        std::uint8_t b = byte(i++);
        int run = 1;
        if ((b & 0xC0) == 0xC0) {
            run = b & 0x3F;
            b = byte(i++);
        }
        indices.insert(indices.end(), static_cast<std::size_t>(run), b);
    }
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(FloorPalette()[indices[static_cast<std::size_t>(r * bytesPerLine + c)]], colours[r][c]);
        }
    }
}
}  // namespace
