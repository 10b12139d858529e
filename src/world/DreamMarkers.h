// The dream marker pass: a textured open cylinder on every dream marker cell of the window, drawn without
// depth writes, then the markers' two-line labels floating above them.
#pragma once

void drawDreamMarkers();
