// The floor palette from the last 768 bytes of a PCX file, including one that ImageMagick wrote.
#include "DataTestFiles.h"
#include "data/PcxPalette.h"

namespace {
using PcxPaletteTest = DataFileTest;

std::string Repeated(const std::string& pattern, std::size_t count) {
    std::string out;
    while (count-- > 0) out += pattern;
    return out;
}

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
    Write("a.pcx", Repeated("\x01\x02\x03", 256));
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
}  // namespace
