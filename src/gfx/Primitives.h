// The 2-D drawing primitives of DXG: points, lines, gradients and textured quads, drawn from memory inside
// the current frame. Screen coordinates are pixels; the 3-D point and line go through the current transforms.
#pragma once

#include <cstdint>

namespace DXG {

class Texture;

void DrawPoint(float x, float y, uint32_t colour);
void DrawPoint(float x, float y, float z, uint32_t colour);
void DrawLine(float x1, float y1, uint32_t colour1, float x2, float y2, uint32_t colour2);
// World line: the depth test is left as it is.
void DrawLine(float x1, float y1, float z1, uint32_t colour1, float x2, float y2, float z2, uint32_t colour2);
// A rectangle as a fan of four triangles around its centre, which gets the mean of the corner colours.
void DrawGradient(float x, float y, float width, float height, uint32_t topLeft, uint32_t topRight,
                  uint32_t bottomLeft, uint32_t bottomRight);
void DrawTriangleGradient(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t colour1,
                          uint32_t colour2, uint32_t colour3);
// The texture at its own size with its top-left at (x + 0.5, y + 0.5), texture coordinates inset by half a
// texel. alpha is the opacity, clamped to 0..1.
void DrawTexture(float x, float y, const Texture& texture, float alpha);
// The texture scaled about its centre and turned by angle (radians).
void DrawTexture(float centreX, float centreY, float angle, float scale, const Texture& texture, float alpha);
// The texture stretched over (x1, y1)-(x2, y2); x2 < x1 or y2 < y1 mirrors it (culling is off for the draw).
void DrawStretchedTexture(float x1, float y1, float x2, float y2, const Texture& texture, float alpha);

// The vertex colour of the textured primitives: opaque white with the clamped opacity as alpha.
uint32_t OpacityColour(float alpha);
// Per channel (alpha, red, green, blue) the sum of the four colours divided by 4, truncated.
uint32_t MeanColour(uint32_t a, uint32_t b, uint32_t c, uint32_t d);

}  // namespace DXG
