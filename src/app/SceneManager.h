// The scene stack, its pending-deletion list, the per-scene frame statistics and the pointer state that
// the window procedure feeds. Free functions over one process-wide state.
#pragma once

#include <string>

#include "app/Scene.h"
#include "platform/Window.h"

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
// Updates the overlay and the top scene; ends the program when the stack is empty.
void UpdateScenes(float seconds);
void ChangeScene(Scene* scene);
std::string CurrentSceneName();  // "none" when the stack is empty

// Pointer moves and left clicks. True when the message was used.
bool HandlePointerMessage(const platform::WindowMessage& message);
void GetMousePosition(int* x, int* y);
bool GetMouseClick(int* x, int* y);  // the click flag, not cleared
void ClearMouseClick();

// Tests only: the number of scenes on the stack and on the pending list.
int SceneCountForTests();
int PendingSceneCountForTests();
