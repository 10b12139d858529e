// The window options of the command line.
#include "app/WindowOptions.h"

#include <cstring>

namespace {

// "WxH" with both sides within the window bounds.
bool ParseSize(const char* text, int* width, int* height) {
    int values[2] = {0, 0};
    int which = 0, digits = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == 'x' && which == 0 && digits > 0) {
            which = 1;
            digits = 0;
        } else if (*p >= '0' && *p <= '9' && digits < 6) {
            values[which] = values[which] * 10 + (*p - '0');
            ++digits;
        } else {
            return false;
        }
    }
    if (which != 1 || digits == 0) return false;
    for (int v : values)
        if (v < kMinimumWindowSide || v > kMaximumWindowSide) return false;
    *width = values[0];
    *height = values[1];
    return true;
}

}  // namespace

bool ParseWindowOptions(int argc, const char* const* argv, WindowOptions* out, std::string* error) {
    WindowOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* size = nullptr;
        if (std::strcmp(arg, "--fullscreen") == 0) {
            options.fullscreen = true;
            continue;
        }
        if (std::strcmp(arg, "--window") == 0) {
            if (i + 1 >= argc) {
                *error = "--window needs a size WxH, e.g. --window 1600x1200";
                return false;
            }
            size = argv[++i];
        } else if (std::strncmp(arg, "--window=", 9) == 0) {
            size = arg + 9;
        } else {
            continue;
        }
        if (!ParseSize(size, &options.width, &options.height)) {
            *error = std::string("--window ") + size + ": not a size WxH with sides from " +
                     std::to_string(kMinimumWindowSide) + " to " + std::to_string(kMaximumWindowSide);
            return false;
        }
        options.sizeGiven = true;
    }
    *out = options;
    return true;
}

DesktopSettings StartingWindow(const WindowOptions& options, const DesktopSettings& stored) {
    if (!options.sizeGiven && !options.fullscreen) return stored;
    DesktopSettings start = stored;
    start.fullscreen = options.fullscreen;
    if (options.sizeGiven) {
        start.width = options.width;
        start.height = options.height;
    }
    return start;
}
