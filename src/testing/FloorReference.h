// The floor squares drawn by the device, as the reference that the processor's resampling of the world's
// floor build is checked and measured against: tests and benchmarks only.
#pragma once

#include <vector>

#include "data/SpkArchive.h"
#include "gfx/Texture.h"

// Each image written into a work texture, drawn as the floor quad into a 64 x 64 render target and read
// back, in order. Much slower than the processor's resampling on a processor-only OpenGL. False (with a
// message in _error.txt) when a texture cannot be made or locked; the textures made before stay.
bool BuildFloorTexturesByRenderTarget(const SpkArchive& images, std::vector<DXG::Texture>& textures);
