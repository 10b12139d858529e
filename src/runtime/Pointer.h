// The pointer state that the window's messages feed and the scenes read: the last position in client
// coordinates and whether the left button went down since the last drawn frame. Beside the keyboard state
// manager, the program's other input service.
#pragma once

#include "platform/Window.h"

// Pointer moves, left clicks and the wheel. True when the message was used.
bool HandlePointerMessage(const platform::WindowMessage& message);
void GetMousePosition(int* x, int* y);
bool GetMouseClick(int* x, int* y);  // the click flag, not cleared
void ClearMouseClick();              // also drops wheel notches not taken
// Wheel notches since the last call (positive away from the user), and clears them.
int TakeMouseWheel();
