// The one place that makes OpenGL contexts: an OpenGL 3.3 core context on a window made by CreateAppWindow
// (the device's), or on a hidden window of its own (the start-up check).
#pragma once

#include <memory>
#include <string>

namespace platform {

class GlContext {
public:
    // A context on the window (an SDL_Window*), made current. Null, with the reason in error, when none can
    // be made.
    static std::unique_ptr<GlContext> Create(void* window, std::string* error);
    // A context on a hidden 1 x 1 window of its own, made current; the window goes with the context.
    static std::unique_ptr<GlContext> CreateHidden(std::string* error);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Makes the context current on this thread; false when it cannot be.
    bool MakeCurrent();
    // Whether the window can still show a frame (false once something outside destroyed it).
    bool CanPresent() const;
    // Shows the window's back buffer.
    void Swap();
    // The window's drawable size in pixels.
    void DrawableSize(int* width, int* height) const;
    // 1: present once per vertical retrace; 0: immediately.
    void SetSwapInterval(int interval);

private:
    GlContext(void* window, void* context, bool ownsWindow)
        : m_window(window), m_context(context), m_ownsWindow(ownsWindow) {}
    void* m_window;   // SDL_Window*
    void* m_context;  // SDL_GLContext
    bool m_ownsWindow;
};

// Whether this thread has a current OpenGL context.
bool AnyGlContextCurrent();
// Sets what every window of ours asks of OpenGL (double buffering); called before a window is made.
void PrepareGlWindowAttributes();

}  // namespace platform
