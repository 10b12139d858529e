// PCX palettes of any bytes (as a file, which is how the reader takes them).
#include <cassert>

#include "FuzzFile.h"
#include "data/PcxPalette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteFuzzFile("fuzz.pcx", data, size);
    FloorPaletteEntries palette{};
    loadPcxPalette("fuzz.pcx", palette);
    for (std::uint32_t entry : palette) {
        assert((entry & 0xFF000000u) == 0);
    }
    return 0;
}
