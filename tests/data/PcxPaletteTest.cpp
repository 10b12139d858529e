// The floor palette from the last 768 bytes of a PCX file; a short, empty or missing file changes only
// what it holds.
#include "DataTestFiles.h"
#include "data/PcxPalette.h"

namespace {
using PcxPaletteTest = DataFileTest;

TEST_F(PcxPaletteTest, TheLast768BytesAreRedGreenBlueAndShortFilesLeaveTheRest) {
    std::string palette;
    for (int i = 0; i < 256; ++i)
        palette += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i ^ 0x55)};
    Write("patches/default/floor.pcx", std::string(232, '\x7F') + palette);
    Write("short.pcx", "\xAA\xBB\xCC\xDD\xEE");
    Write("empty.pcx", "");
    const auto entries = [] {
        return std::vector{FloorPalette()[0], FloorPalette()[1], FloorPalette()[2], FloorPalette()[255]};
    };
    loadPcxPalette("patches\\default\\floor.pcx");
    EXPECT_EQ(entries(), (std::vector<std::uint32_t>{0x0000FF55, 0x01FE54, 0x02FD57, 0xFF00AA}));
    loadPcxPalette("short.pcx");  // blue of entry 1 is not in the file
    loadPcxPalette("empty.pcx");
    EXPECT_EQ(entries(), (std::vector<std::uint32_t>{0xAABBCC, 0xDDEE54, 0x02FD57, 0xFF00AA}));
    EXPECT_EQ(Log(), "");
    loadPcxPalette("patches\\default\\none.pcx");
    EXPECT_EQ(entries()[0], 0xAABBCCu);
    EXPECT_EQ(Log(), "Failed to open file to read pcx palette (patches\\default\\none.pcx)\n");
}
}  // namespace
