// Colour files of any bytes: the first half of the input is colors.txt, the rest one part file.
#include "FuzzFile.h"
#include "data/ColorTables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t half = size / 2;
    WriteFuzzFile("colors.txt", data, half);
    WriteFuzzFile("fur.txt", data + half, size - half);
    ColorPairs pairs;
    loadColorPairs("colors.txt", pairs);
    PartColorTable table{};
    loadPartColorTable("fur.txt", pairs, table);
    return 0;
}
