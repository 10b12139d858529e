// Reads the trailing 256-colour palette of a PCX file. The image header and data are not looked at.
#include "data/PcxPalette.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/NativePath.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {
FloorPaletteEntries g_palette{};

constexpr long kPaletteBytes = 768;
}  // namespace

void loadPcxPalette(const std::string& path, FloorPaletteEntries& palette) {
    const std::string native = path.empty() ? std::string() : NativePath(path);
    std::error_code error;
    std::FILE* file = nullptr;
    if (!native.empty() && std::filesystem::is_regular_file(native, error)) {
        file = std::fopen(native.c_str(), "rb");
    }
    if (file == nullptr) {
        errorLog.Write("Failed to open file to read pcx palette (" + path + ")\n");
        return;
    }
    unsigned char bytes[kPaletteBytes];
    long count = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long length = std::ftell(file);
        // A file shorter than the palette is read from its start, where the failed seek leaves it.
        std::fseek(file, length >= kPaletteBytes ? length - kPaletteBytes : 0, SEEK_SET);
        count = static_cast<long>(std::fread(bytes, 1, sizeof bytes, file));
    }
    std::fclose(file);

    for (long i = 0; i < count; ++i) {
        const int shift = 16 - 8 * static_cast<int>(i % 3);  // red, green, blue
        std::uint32_t& entry = palette[static_cast<std::size_t>(i / 3)];
        entry = (entry & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(bytes[i]) << shift);
    }
}

void loadPcxPalette(const std::string& path) {
    loadPcxPalette(path, g_palette);
}

const FloorPaletteEntries& FloorPalette() {
    return g_palette;
}

const bool kRegistered = RegisterProcessState(
    "floor palette", [] { g_palette.fill(0); }, kDataState);
