// The world renderer: the camera that orbits the player's cell, the 31 x 31 window of cells that is drawn,
// picking of the cell under a screen point, and the frame that runs the five drawing passes in order.
// One process-wide state behind free functions; the passes themselves see only the frame's WorldView.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Texture.h"
#include "world/WorldView.h"

// The view the next frame is drawn with: the window, hover cell and camera as they stand.
WorldView CurrentWorldView();

// Creates the floor, character, wall, object and dream marker renderers.
bool createWorldRenderers();
// Deletes the five renderers with their textures and font (the main client scene ends only with the
// program).
void destroyWorldRenderers();

// Applies the camera keys for dt seconds, then takes the map size and the player's cell into the window.
void updateCamera(float dt);
float CameraYaw();
// Turns the camera to yaw radians (taken into 0..2 pi as the keys do).
void SetCameraYaw(float yaw);

// Builds the frame's view; projection, view and material, then the floor, wall, object, character and
// dream marker passes.
void renderWorld();

// The grid cell under the screen point. False, with gx and gy untouched, when the ray through the point
// runs parallel to the floor or meets it beyond any cell number.
bool pickCell(std::int32_t sx, std::int32_t sy, std::int32_t& gx, std::int32_t& gy);
void setHoverCell(std::int32_t gx, std::int32_t gy);
void hoverCell(std::int32_t& gx, std::int32_t& gy);

// A floor of the cell changed: true when the cell is in the window (the floor geometry is rebuilt).
bool notifyCellChanged(std::int32_t gx, std::int32_t gy);
// The floor textures of a new map: texture i is drawn for floor number i (the first 256 only).
void setFloorTextures(const std::vector<DXG::Texture>& textures);
