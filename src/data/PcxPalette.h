// The floor palette: the 256-colour palette at the end of a PCX image, which colours the floor shapes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using FloorPaletteEntries = std::array<std::uint32_t, 256>;  // 0x00RRGGBB; the top byte stays 0

// Fills the process-wide floor palette from the last 768 bytes of the file (red, green, blue per entry,
// entry 0 first). A file that cannot be opened leaves the palette unchanged, with a message. A file
// shorter than 768 bytes is read from its start as far as it goes; the bytes it lacks stay unchanged.
void loadPcxPalette(const std::string& path);

// The same into a palette of the caller's.
void loadPcxPalette(const std::string& path, FloorPaletteEntries& palette);

const FloorPaletteEntries& FloorPalette();
