// The frame-rate overlay of the scene manager: the rate of this update and the average of the last five,
// shown at (5, 5) over the top scene while the graphics foundation is ready.
#pragma once

#include <string>

namespace FrameRateOverlay {

// Step 1 of UpdateScenes with the frame's unclamped seconds: creates the overlay when it is missing and the
// foundation is ready, then replaces its text and shifts the rate history.
void Update(float seconds);
// Draws the overlay when it exists (after the top scene).
void Render();
// Deletes the overlay (device loss, shutdown); the next Update makes a fresh one while the foundation is
// ready.
void Release();
bool Exists();
// The overlay's current text: "FPS: <rate>\nFPS (last 5 avg): <average>".
std::string CurrentText();
// The text for a frame of the given seconds and the four previous rates, newest first.
std::string FormatText(float seconds, const float history[4]);

}  // namespace FrameRateOverlay
