// Test images: a known pattern handed to ImageMagick (an encoder independent of ours) as raw RGBA bytes,
// and our own minimal writers for tests that need exact files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace imagetest {

// ARGB pattern with distinct channels per pixel; alpha varies when withAlpha, else 255.
std::vector<uint32_t> Pattern(uint32_t width, uint32_t height, bool withAlpha);

// Raw 8-bit RGBA bytes, the form ImageMagick reads and writes as "rgba:file".
void WriteRgba(const std::filesystem::path& path, const std::vector<uint32_t>& argb);
std::vector<uint32_t> ReadRgba(const std::filesystem::path& path);

// Runs ImageMagick's convert with the arguments; true on exit status 0.
bool Convert(const std::string& arguments);

// A 24-bit BMP (alpha dropped) and a one-level A8R8G8B8 DDS.
void WriteBmp24(const std::filesystem::path& path, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& argb);
void WriteDdsArgb(const std::filesystem::path& path, uint32_t width, uint32_t height,
                  const std::vector<uint32_t>& argb);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace imagetest
