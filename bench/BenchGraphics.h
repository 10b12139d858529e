// The window and device every drawing benchmark opens: an 800 x 600 window (shown on request), the
// OpenGL device without vsync, and the working folder moved to the build's game folder, where the
// generated font, wall and dream textures lie. Run under a display (xvfb-run).
#pragma once

#include <filesystem>

#include "gfx/DXG.h"
#include "platform/Window.h"

namespace bench {

inline bool OpenGraphics(const char* title, void** window, bool show = false) {
    if (*window != nullptr) return true;
    const std::filesystem::path game =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "game";
    std::error_code ignored;
    std::filesystem::current_path(game, ignored);
    const platform::WindowSettings settings{title, "VelmViewWindow", 800, 600};
    if (platform::CreateAppWindow(settings, window) != platform::CreateWindowResult::Ok) return false;
    if (show) platform::ShowAppWindow(*window);
    DXG::Setup setup;  // windowed, vsync off
    return DXG::Init(*window, &setup);
}

inline void CloseGraphics(void* window) {
    DXG::Shutdown();
    platform::DestroyAppWindow(window);
}

}  // namespace bench
