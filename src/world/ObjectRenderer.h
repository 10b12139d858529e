// The object pass: two crossed upright triangles on every cell of the window that holds an object, and a
// translucent green square just above the floor on the hover cell instead.
#pragma once

class ObjectRenderer {
public:
    void draw();
};
