// The command line's window options: --window WxH and --fullscreen choose how the client starts; without
// them it starts as the player last left it.
#pragma once

#include <string>

#include "app/DesktopSettings.h"

struct WindowOptions {
    bool sizeGiven = false;  // --window WxH
    int width = 800, height = 600;
    bool fullscreen = false;  // --fullscreen
};

// Reads --window WxH (also --window=WxH) and --fullscreen from the arguments; other arguments are left to
// their own readers. False, with a message, for a malformed or out-of-range size.
bool ParseWindowOptions(int argc, const char* const* argv, WindowOptions* out, std::string* error);

// How the window starts: the options over the stored settings. Either option alone replaces both stored
// values (--window starts windowed, --fullscreen keeps the stored window size for leaving full screen).
DesktopSettings StartingWindow(const WindowOptions& options, const DesktopSettings& stored);
