// OpenGL contexts through SDL.
#include "platform/GlContext.h"

#include <SDL2/SDL.h>

#include "platform/Window.h"

namespace platform {

namespace {

void AskForCoreProfile() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    PrepareGlWindowAttributes();
}

}  // namespace

std::unique_ptr<GlContext> GlContext::Create(void* window, std::string* error) {
    auto* w = static_cast<SDL_Window*>(window);
    AskForCoreProfile();
    SDL_GLContext context = w ? SDL_GL_CreateContext(w) : nullptr;
    if (!context) {
        if (error) *error = w ? SDL_GetError() : "no window";
        return nullptr;
    }
    SDL_GL_MakeCurrent(w, context);
    return std::unique_ptr<GlContext>(new GlContext(w, context, false));
}

std::unique_ptr<GlContext> GlContext::CreateHidden(std::string* error) {
    if (!StartVideo()) {
        if (error) *error = SDL_GetError();
        return nullptr;
    }
    AskForCoreProfile();
    SDL_Window* window = SDL_CreateWindow("probe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        if (error) *error = SDL_GetError();
        return nullptr;
    }
    auto context = Create(window, error);
    if (!context) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    context->m_ownsWindow = true;
    return context;
}

GlContext::~GlContext() {
    auto* window = static_cast<SDL_Window*>(m_window);
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    if (m_ownsWindow) SDL_DestroyWindow(window);
}

bool GlContext::MakeCurrent() {
    auto* context = static_cast<SDL_GLContext>(m_context);
    return SDL_GL_MakeCurrent(static_cast<SDL_Window*>(m_window), context) == 0 ||
           SDL_GL_GetCurrentContext() == context;
}

bool GlContext::CanPresent() const {
    return AppWindowCanShow(m_window);
}

void GlContext::Swap() {
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(m_window));
}

void GlContext::DrawableSize(int* width, int* height) const {
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(m_window), width, height);
}

void GlContext::SetSwapInterval(int interval) {
    SDL_GL_SetSwapInterval(interval);
}

bool AnyGlContextCurrent() {
    return SDL_GL_GetCurrentContext() != nullptr;
}

void PrepareGlWindowAttributes() {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

}  // namespace platform
