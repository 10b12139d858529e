// The avatar pass: one flat triangle at height 0.3 per avatar in the window, pointing in its direction,
// the tip in its vest colour and the rear corners in its translucent fur colour.
#pragma once

class CharacterRenderer {
public:
    void draw();
};
