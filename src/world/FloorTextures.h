// Floor textures: each floor shape of the archive is a flat diamond in palette indices; the world lays
// floors on a square grid, so each diamond becomes a 64 x 64 square texture.
#pragma once

#include <vector>

#include "data/SpkArchive.h"
#include "gfx/Texture.h"

// Floor numbers 0..255 have a texture slot each: the floor textures built and the floor pass's slots.
constexpr int kFloorSlotCount = 256;

// Replaces textures with one 64 x 64 opaque texture per shape of images, in order (the first 256 shapes:
// a floor number reaches no further), coloured through the current floor palette (data/PcxPalette.h), the
// transparent index black. Call outside a frame. False (with a message in _error.txt) when a texture
// cannot be made; the textures made before stay.
bool BuildFloorTextures(const SpkArchive& images, std::vector<DXG::Texture>& textures);

// The same squares drawn by the device: each image written into a work texture, drawn as the quad into a
// 64 x 64 render target and read back. Much slower than the processor's resampling on a processor-only
// OpenGL; kept as the reference that the resampling is measured and checked against.
bool BuildFloorTexturesByRenderTarget(const SpkArchive& images, std::vector<DXG::Texture>& textures);
