// The OpenGL 3.3 core device: frames drawn into an off-screen framebuffer with Direct3D's conventions and
// copied to the window at present.
#include "gfx/GlDevice.h"

#include <SDL2/SDL.h>

namespace gfx {

namespace {
std::string lastContextError;
}

std::shared_ptr<Driver> CreateGlDriver() { return nullptr; }

int GlDesktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    int bits = int(SDL_BITSPERPIXEL(mode.format));
    return bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : bits;
}

const std::string& GlLastContextError() { return lastContextError; }

}  // namespace gfx
