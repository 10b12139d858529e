// The start-up check of the graphics layer: the machine's description in _stat.txt, whether the card
// transforms and lights in hardware, and a warning for the user when OpenGL 3.3 cannot be had.
#pragma once

#include <cstdint>
#include <string>

// True, with the warning text appended, when the graphics layer cannot be used. hardwareTnL is set from
// the renderer (left as it was when the capabilities cannot be read).
bool CheckGraphicsSupport(uint8_t* hardwareTnL, std::string* warning);

// What a look at the graphics layer found.
struct GraphicsProbe {
    bool available = false;  // an OpenGL 3.3 core context could be made
    std::string renderer;    // the renderer's description (GL_RENDERER)
    bool capabilitiesRead = false;
    bool hardwareTnL = false;  // false for renderers that run on the processor
};

// The probe CheckGraphicsSupport uses; tests replace it (null restores the real one).
using GraphicsProbeFunction = GraphicsProbe (*)();
void SetGraphicsProbe(GraphicsProbeFunction probe);

// Whether a renderer description names a rasteriser that runs on the processor.
bool IsSoftwareRenderer(const std::string& renderer);
