// When the world's opaque passes may be drawn in another order, or depth first, with the same picture.
#pragma once

#include "gfx/Device.h"

// The texture format has no alpha: every texel samples with alpha exactly 1.
bool OpaqueFormat(gfx::Format format);

// Triangles of opaque white vertices and an opaque texture, drawn in the device's current states, replace
// what they cover where they are nearer or as near: depth tested "less or equal" with writes on, every
// colour written, blending by source alpha (which is 1) or none, and an alpha test that 255 passes.
bool StatesReplaceByDepth(const gfx::Device& device);
