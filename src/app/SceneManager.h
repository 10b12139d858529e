// The scene stack, its pending-deletion list and the per-scene frame statistics. Free functions over one
// process-wide state; it tells the frame loop when the stack is empty instead of stopping it.
#pragma once

#include <string>

#include "app/Scene.h"

// Pushes a scene (created with track(new ...)); the manager owns it from now on.
void AddScene(Scene* scene);
// Removes the top scene; it is deleted after the current update.
void RemoveScene();
// Removes every scene and writes the per-scene report (once per run).
void RemoveAllScenes();
// Removes and deletes every scene and the frame-rate overlay.
void SceneManagerShutdown();
// Draws the top scene, then the frame-rate overlay.
void RenderScenes();
// Updates the overlay and the top scene. False when the stack was empty: the program ends after this frame.
bool UpdateScenes(float seconds);
std::string CurrentSceneName();  // "none" when the stack is empty

// Removed scenes still waiting to be deleted after the current update.
int PendingSceneCount();
