// The object and hover cell pass.
#include "world/ObjectRenderer.h"

void ObjectRenderer::draw() {}
