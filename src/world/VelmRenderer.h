// The world renderer: the camera that orbits the player's cell, the 31 x 31 window of cells that is drawn,
// picking of the cell under a screen point, and the frame that runs the five drawing passes in order.
// One process-wide state behind free functions.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Texture.h"

class CText;

// The map size (the grid side, both ways) and the window's centre cell.
struct ViewWindow {
    std::int32_t width = 0, height = 0, cx = 0, cy = 0;
};

const ViewWindow& CurrentViewWindow();

// Creates the floor, character, wall and object renderers, the dream marker texture and the label text.
bool createWorldRenderers();
// Deletes the four renderers, the label text and the dream marker texture (the main client scene ends only
// with the program).
void destroyWorldRenderers();

// Applies the camera keys for dt seconds, then takes the map size and the player's cell into the window.
void updateCamera(float dt);
float CameraYaw();
// Turns the camera to yaw radians (taken into 0..2 pi as the keys do).
void SetCameraYaw(float yaw);

// Projection, view and material, then the floor, wall, object, character and dream marker passes.
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

bool isCellVisible(std::int32_t gx, std::int32_t gy);
// The window clipped to the map, inclusive.
void windowBounds(std::int32_t& x0, std::int32_t& y0, std::int32_t& x1, std::int32_t& y1);

DXG::Texture& DreamMarkerTexture();  // "data\misc\dream0.dds"
CText* LabelText();                  // the dream marker labels' text; null before createWorldRenderers
