// The pixel work of texture loading that the image library does not do: colour key, mip levels, the
// normal map of a height map, and writing ARGB pixels into a device texture level of a given format.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Device.h"
#include "gfx/ImageFile.h"

namespace gfx {

// Opaque black (ARGB FF000000) becomes transparent black.
void ApplyColourKey(ImageLevel* level);

// The next smaller level: each texel the mean of a 2 x 2 box (smooth) or its top-left texel (point).
ImageLevel NextMipLevel(const ImageLevel& level, bool box);

// Normal map from the red channel as height (amplitude 1, wrapping at the edges): RGB = 0.5 n + 0.5,
// alpha opaque.
ImageLevel NormalMapFromRed(const ImageLevel& heights);

// Formats WriteLevel can fill.
bool CanWriteFormat(Format format);

// Writes the pixels into the locked level (rows top first, pitch bytes apart), converted to the format.
// Block formats are compressed here. Alpha of formats without alpha is written opaque.
void WriteLevel(const ImageLevel& pixels, Format format, uint8_t* bits, int32_t pitch);

// Copies a file's own DXT blocks of one level into a locked level of the same format and size.
void WriteBlocks(const std::vector<uint8_t>& blocks, Format format, uint32_t width, uint32_t height,
                 uint8_t* bits, int32_t pitch);

}  // namespace gfx
