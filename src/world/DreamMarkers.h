// The dream marker pass: a textured open cylinder on every dream marker cell of the window, drawn without
// depth writes, then the markers' two-line labels floating above them in the label font.
#pragma once

#include <vector>

#include "gfx/Device.h"
#include "gfx/Texture.h"
#include "world/WorldView.h"

class DreamMarkerRenderer {
public:
    // Loads the cylinder texture "data\misc\dream0.dds" and the label font "data\font12.dds"; a
    // texture that cannot be loaded leaves its pieces untextured.
    DreamMarkerRenderer();
    ~DreamMarkerRenderer();
    DreamMarkerRenderer(const DreamMarkerRenderer&) = delete;
    DreamMarkerRenderer& operator=(const DreamMarkerRenderer&) = delete;

    void draw(const WorldView& view);

private:
    void drawCylinders(gfx::Device& device, const WorldView& view);
    void drawLabels(gfx::Device& device, const WorldView& view);

    DXG::Texture m_texture;
    DXG::Texture m_font;
    std::vector<gfx::WorldVertex> m_cylinders;  // the frame's cylinders, in list order
    std::vector<gfx::ScreenVertex> m_glyphs;    // the frame's label glyphs, in list order
};
