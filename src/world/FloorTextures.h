// Floor textures: each floor shape of the archive is a flat diamond in palette indices; the world lays
// floors on a square grid, so each diamond becomes a 64 x 64 square texture.
#pragma once

#include <vector>

#include "data/PcxPalette.h"
#include "data/SpkArchive.h"
#include "gfx/Texture.h"

// Floor numbers 0..255 have a texture slot each: the floor textures built and the floor pass's slots.
constexpr int kFloorSlotCount = 256;

// Replaces textures with one 64 x 64 opaque texture per shape of images, in order (the first 256 shapes:
// a floor number reaches no further), coloured through the current floor palette (data/PcxPalette.h), the
// transparent index black. Call outside a frame. False (with a message in _error.txt) when a texture
// cannot be made; the textures made before stay.
bool BuildFloorTextures(const SpkArchive& images, std::vector<DXG::Texture>& textures);

// The pieces of the square that the reference build drawing it with the device shares (src/testing).
namespace floorsquare {

constexpr int kSide = 64;  // raw and final textures are kSide x kSide

// The quad: screen corners and the texture coordinates that map the diamond onto the square (top corner to
// the top-left, right to top-right, bottom to bottom-right, left to bottom-left).
struct QuadCorner {
    float x, y, u, v;
};
constexpr QuadCorner kQuad[4] = {{0.0f, 0.0f, 0.48f, 0.02f},
                                 {64.0f, 0.0f, 0.95f, 0.24f},
                                 {64.0f, 64.0f, 0.48f, 0.48f},
                                 {0.0f, 64.0f, 0.02f, 0.24f}};

// The image's pixels in a kSide x kSide block (pitch in pixels): palette colours, black for the transparent
// index and for everything outside the image. An image larger than kSide x kSide is clipped to its top-left
// corner.
void FillRaw(const SpkShape& shape, const FloorPaletteEntries& palette, std::uint32_t* raw,
             std::size_t pitch);
// Makes textures hold count blank handles; the build fills them in order.
void StartList(std::vector<DXG::Texture>& textures, int count);
// Drops the handles the build did not reach, keeping the textures made before a failure.
void EndList(std::vector<DXG::Texture>& textures, int made);
// Creates a 64 x 64 opaque texture into handle and copies rows of 64 pixels from source (pitch in bytes).
bool StoreFinalTexture(DXG::Texture& handle, const std::uint8_t* source, std::int32_t sourcePitch);

}  // namespace floorsquare
