// velm-tool pcx FILE: the 256 palette entries. velm-tool colors DIR: the ten avatar colour tables.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Commands.h"
#include "data/ColorTables.h"
#include "data/PcxPalette.h"
#include "platform/NativePath.h"

int PcxCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velm-tool pcx FILE\n");
        return 2;
    }
    const std::string path = args[0];
    const std::uintmax_t logged = ErrorLogSize();
    FloorPaletteEntries palette{};
    loadPcxPalette(path, palette);
    if (ErrorLogSize() != logged) {
        return 1;  // missing, not a regular file or unreadable: the reader said why
    }
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint32_t c = palette[i];
        std::printf("%zu %u %u %u\n", i, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
    return 0;
}

int ColorsCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velm-tool colors DIR\n");
        return 2;
    }
    // DIR is the folder of colors.txt, or a game directory that holds it under data\colors.
    std::string folder = args[0];
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
        folder += '\\';
    }
    if (folder == ".\\" || folder == "./") {
        folder.clear();  // the working directory: messages then name the files as the client does
    }
    std::error_code error;
    if (!std::filesystem::exists(NativePath(folder + "colors.txt"), error) &&
        std::filesystem::exists(NativePath(folder + "data\\colors\\colors.txt"), error)) {
        folder += "data\\colors\\";
    }
    const std::uintmax_t logged = ErrorLogSize();
    loadColorTables(folder);
    if (ErrorLogSize() != logged) {
        return 1;  // a table file missing, unreadable or wrong: the reader said why
    }
    for (int part = 0; part < kColorPartCount; ++part) {
        const PartColorTable& table = GetPartColorTable(static_cast<ColorPart>(part));
        for (int i = 0; i < kColorTableSize; ++i) {
            std::printf("%s %d %06x\n", ColorPartName(static_cast<ColorPart>(part)), i,
                        static_cast<unsigned>(table[static_cast<std::size_t>(i)]));
        }
    }
    return 0;
}
