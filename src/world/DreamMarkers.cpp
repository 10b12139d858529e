// The dream marker pass: cylinders, then labels.
#include "world/DreamMarkers.h"

void drawDreamMarkers() {}
