// Test images: a known pattern written as PAM and turned into BMP, PNG and DDS by ImageMagick, an
// encoder independent of ours.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace imagetest {

// ARGB pattern with distinct channels per pixel; alpha varies when withAlpha, else 255.
std::vector<uint32_t> Pattern(uint32_t width, uint32_t height, bool withAlpha);

// Writes ARGB pixels as a PAM file (RGB_ALPHA, or RGB when withAlpha is false).
void WritePam(const std::filesystem::path& path, uint32_t width, uint32_t height,
              const std::vector<uint32_t>& argb, bool withAlpha);
// Reads a PAM/PPM written by ImageMagick into ARGB pixels (alpha 255 without an alpha channel).
bool ReadPam(const std::filesystem::path& path, uint32_t* width, uint32_t* height,
             std::vector<uint32_t>* argb);

// Runs ImageMagick's convert with the arguments; true on exit status 0.
bool Convert(const std::string& arguments);

// Our own minimal writers for tests that need exact files: a 24-bit BMP (alpha dropped) and a one-level
// A8R8G8B8 DDS.
void WriteBmp24(const std::filesystem::path& path, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& argb);
void WriteDdsArgb(const std::filesystem::path& path, uint32_t width, uint32_t height,
                  const std::vector<uint32_t>& argb);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace imagetest
