// The floor palette from the last 768 bytes of a PCX file, including one that ImageMagick wrote.
#include "DataTestFiles.h"
#include "data/PcxPalette.h"

namespace {
class PcxPaletteTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        Write("a.pcx", Repeated("\x01\x02\x03", 256));
    }
    static std::string Repeated(const std::string& pattern, std::size_t count) {
        std::string out;
        while (count-- > 0) out += pattern;
        return out;
    }
};

TEST_F(PcxPaletteTest, TheLast768BytesAreRedGreenBlueAndASecondLoadReplacesThem) {
    std::string whole;  // exactly 768 bytes: the whole file is the palette
    for (int i = 0; i < 256; ++i)
        whole += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i ^ 0x55)};
    Write("whole.pcx", whole);
    Write("patches/default/floor.pcx", std::string(232, '\x7F') + Repeated("\x10\x20\x30", 256));
    loadPcxPalette("whole.pcx");
    EXPECT_EQ(FloorPalette()[0], 0x0000FF55u);
    EXPECT_EQ(FloorPalette()[255], 0x00FF00AAu);
    loadPcxPalette("patches\\default\\floor.pcx");
    for (std::uint32_t entry : FloorPalette()) ASSERT_EQ(entry, 0x00102030u);
    EXPECT_EQ(Log(), "");
}

TEST_F(PcxPaletteTest, ShortEmptyOrMissingFileLeavesWhatItDoesNotHold) {
    Write("short.pcx", "\xAA\xBB\xCC\xDD\xEE");
    Write("empty.pcx", "");
    loadPcxPalette("a.pcx");
    loadPcxPalette("short.pcx");  // blue of entry 1 is not in the file
    EXPECT_EQ((std::vector{FloorPalette()[0], FloorPalette()[1], FloorPalette()[2], FloorPalette()[255]}),
              (std::vector<std::uint32_t>{0xAABBCC, 0xDDEE03, 0x010203, 0x010203}));
    loadPcxPalette("a.pcx");
    loadPcxPalette("empty.pcx");
    EXPECT_EQ(Log(), "");
    loadPcxPalette("patches\\default\\none.pcx");
    EXPECT_EQ(FloorPalette()[0], 0x00010203u);
    EXPECT_EQ(Log(), "Failed to open file to read pcx palette (patches\\default\\none.pcx)\n");
}

// The pixels of an ImageMagick PCX, decoded here and looked up in the palette the reader loaded, are
// the colours of the picture it was made from.
TEST_F(PcxPaletteTest, ImageMagickPcxGivesThePicturesColours) {
    const std::uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x0A141E, 0xFFFFFF, 0x808000};
    std::string ppm = "P3\n3 2\n255\n";
    for (std::uint32_t c : colours)
        ppm += std::to_string(c >> 16) + " " + std::to_string((c >> 8) & 0xFF) + " " +
               std::to_string(c & 0xFF) + "\n";
    Write("picture.ppm", ppm);
    ASSERT_EQ(RunCommand("convert picture.ppm -type Palette picture.pcx"), 0);
    loadPcxPalette("picture.pcx");
    EXPECT_EQ(Log(), "");

    const std::string pcx = ReadTextFile("picture.pcx");
    ASSERT_GT(pcx.size(), 128u + 769u);
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(pcx[i]); };
    ASSERT_EQ(byte(3), 8);                                                  // bits per pixel
    ASSERT_EQ(byte(65), 1);                                                 // planes
    ASSERT_EQ((byte(8) | byte(9) << 8) - (byte(4) | byte(5) << 8) + 1, 3);  // width
    const std::size_t bytesPerLine = byte(66) | byte(67) << 8;
    std::vector<std::uint8_t> indices;  // run-length coded rows
    for (std::size_t i = 128; indices.size() < 2 * bytesPerLine && i < pcx.size();) {
        std::uint8_t b = byte(i++);
        const bool isRun = (b & 0xC0) == 0xC0 && i < pcx.size();
        const std::size_t run = isRun ? b & 0x3F : 1;
        if (isRun) b = byte(i++);
        indices.insert(indices.end(), run, b);
    }
    ASSERT_GE(indices.size(), 2 * bytesPerLine);
    for (std::size_t p = 0; p < 6; ++p)
        EXPECT_EQ(FloorPalette()[indices[p / 3 * bytesPerLine + p % 3]], colours[p]) << p;
}
}  // namespace
