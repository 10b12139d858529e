// The avatar pass.
#include "world/CharacterRenderer.h"

void CharacterRenderer::draw() {}
