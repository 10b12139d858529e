// The avatar colour tables: named colours from "data\colors\colors.txt" and, for each of ten avatar
// parts, which named colour each colour index 0..63 stands for.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

enum ColorPart { kBadge, kBracer, kBoot, kCape, kEye, kFur, kHair, kMarking, kPants, kVest, kColorPartCount };

inline constexpr int kColorTableSize = 64;

using PartColorTable = std::array<std::uint32_t, kColorTableSize>;  // 0x00RRGGBB
using ColorPairs = std::map<std::string, std::uint32_t>;

// The part's name as in its file name ("badge" ... "vest").
const char* ColorPartName(ColorPart part);

// Reads colors.txt, then the ten part files in ColorPart order, into the process-wide tables. folder is
// the program path of the folder holding them, ending in a backslash; the client uses the default.
// Every problem is a message in _error.txt; a missing or unusable colors.txt leaves all tables untouched.
void loadColorTables(const std::string& folder = "data\\colors\\");

// Reads one colors.txt into pairs (emptied first).
void loadColorPairs(const std::string& path, ColorPairs& pairs);

// Reads one part file into table; skipped without a message when pairs is empty.
void loadPartColorTable(const std::string& path, const ColorPairs& pairs, PartColorTable& table);

const PartColorTable& GetPartColorTable(ColorPart part);

// The part's colour for an index as the server sends it. Indices outside 0..63 are clamped to the
// nearest end of the table, so no code can reach outside it.
std::uint32_t PartColor(ColorPart part, int index);
