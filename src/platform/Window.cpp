// The window and its events on SDL2: the window is created OpenGL-capable so the graphics device can draw
// into it; SDL's events become window messages one at a time.
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <string>
#include <thread>

#include "platform/Clipboard.h"
#include "platform/GlContext.h"
#include "platform/PictureFit.h"

// Under LeakSanitizer: the system libraries behind SDL (D-Bus, X11, Mesa) keep allocations for the
// life of the process by design; they are not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libX11.so\nleak:libX11-xcb.so\nleak:libxcb.so\nleak:swrast_dri.so\n"
           "leak:libgallium\nleak:libGLX_mesa.so\nleak:libGLdispatch.so\nleak:libLLVM\nleak:libSDL2\n"
           "leak:libglapi.so\n";
}

namespace platform {

namespace {

// Messages made from one SDL event wait here (a text event can carry several characters).
std::deque<WindowMessage> pending;
bool destroySent = false;  // closing sends both a window close and a quit event: one Destroy is made

SDL_Window* appWindow = nullptr;
int pictureWidth = 800, pictureHeight = 600;  // what pointer positions are mapped into
WindowPlacement placement;                    // the size last seen while not full screen
bool coveredByHand = false;  // full screen without a window manager: the window itself covers the display
int windowedX = 0, windowedY = 0;  // where the window was before it covered the display by hand
// Keypad 4, 5 and 6 turn the camera: the digit that their key-down is followed by is not typed.
char keypadDigitToDrop = 0;

// The X11 window of the program's window, its display, and whether something outside destroyed it.
Window xWindow = 0;
Display* xDisplay = nullptr;
bool xWindowGone = false;
XErrorHandler previousErrorHandler = nullptr;

// A window destroyed from outside (not through the window manager's close request) leaves requests to it
// failing until the program has ended; those errors are expected, others go to the previous handler.
int OnXError(Display* display, XErrorEvent* error) {
    if (xWindow != 0 && error->resourceid == xWindow &&
        (xWindowGone || error->error_code == BadWindow || error->error_code == BadDrawable)) {
        xWindowGone = true;
        return 0;
    }
    return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

void QueueText(const char* text) {
    const char drop = keypadDigitToDrop;
    keypadDigitToDrop = 0;
    if (drop != 0 && text && text[0] == drop && text[1] == 0) return;
    for (char c : TypedTextToBytes(text)) {
        WindowMessage m;
        m.type = WindowMessage::Char;
        m.code = static_cast<unsigned char>(c);
        pending.push_back(m);
    }
}

bool IsFullScreen() {
    return appWindow && (coveredByHand || (SDL_GetWindowFlags(appWindow) & SDL_WINDOW_FULLSCREEN) != 0);
}

// Whether a window manager runs on the X display (it announces itself on the root window). Without one,
// nobody acts on a full-screen request.
bool WindowManagerRunning() {
    if (!xDisplay) return true;
    const Atom check = XInternAtom(xDisplay, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(xDisplay, DefaultRootWindow(xDisplay), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return status == Success && count == 1;
}

// The pointer's window position in picture coordinates; false over a bar.
bool MapPointer(int x, int y, int32_t* pictureX, int32_t* pictureY) {
    if (!appWindow) {
        *pictureX = x;
        *pictureY = y;
        return true;
    }
    int w = 0, h = 0, px = 0, py = 0;
    SDL_GetWindowSize(appWindow, &w, &h);
    const PictureRect rect = FitPicture(w, h, pictureWidth, pictureHeight);
    if (!WindowToPicture(rect, pictureWidth, pictureHeight, x, y, &px, &py)) return false;
    *pictureX = px;
    *pictureY = py;
    return true;
}

// The keys the window itself answers (full screen, paste). True when the key was taken.
bool QueueWindowKey(const SDL_KeyboardEvent& key) {
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0, control = (key.keysym.mod & KMOD_CTRL) != 0;
    const bool enter =
        key.keysym.scancode == SDL_SCANCODE_RETURN || key.keysym.scancode == SDL_SCANCODE_KP_ENTER;
    if (key.keysym.sym == SDLK_F11 || (alt && enter)) {
        if (!key.repeat) ToggleFullScreen();
        return true;
    }
    if (control && key.keysym.sym == SDLK_v) {
        WindowMessage m;
        m.type = WindowMessage::Paste;
        m.text = ReadClipboardText(kPasteLimit);
        pending.push_back(m);
        return true;
    }
    return false;
}

void QueueKeyDown(const SDL_KeyboardEvent& key) {
    keypadDigitToDrop = 0;
    if (QueueWindowKey(key)) return;
    WindowMessage m;
    // Keys whose characters the text events do not carry.
    switch (key.keysym.scancode) {
    case SDL_SCANCODE_BACKSPACE:
        m.type = WindowMessage::Char;
        m.code = 8;
        break;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        m.type = WindowMessage::Char;
        m.code = 13;
        break;
    case SDL_SCANCODE_TAB:
        m.type = WindowMessage::Char;
        m.code = 9;
        break;
    case SDL_SCANCODE_ESCAPE:
        m.type = WindowMessage::Char;
        m.code = 27;
        break;
    default: break;
    }
    if (m.type == WindowMessage::Char) {
        pending.push_back(m);
        return;
    }
    uint32_t vk = 0;
    bool extended = true;
    switch (key.keysym.scancode) {
    case SDL_SCANCODE_INSERT: vk = kVkInsert; break;
    case SDL_SCANCODE_DELETE: vk = kVkDelete; break;
    case SDL_SCANCODE_HOME: vk = kVkHome; break;
    case SDL_SCANCODE_END: vk = kVkEnd; break;
    case SDL_SCANCODE_PAGEUP: vk = kVkPageUp; break;
    case SDL_SCANCODE_PAGEDOWN: vk = kVkPageDown; break;
    case SDL_SCANCODE_UP: vk = kVkUp; break;
    case SDL_SCANCODE_DOWN: vk = kVkDown; break;
    case SDL_SCANCODE_LEFT: vk = kVkLeft; break;
    case SDL_SCANCODE_RIGHT: vk = kVkRight; break;
    // The keypad twins without Num Lock: the same virtual keys, not extended.
    case SDL_SCANCODE_KP_0:
        vk = kVkInsert;
        extended = false;
        break;
    case SDL_SCANCODE_KP_PERIOD:
        vk = kVkDelete;
        extended = false;
        break;
    case SDL_SCANCODE_KP_7:
        vk = kVkHome;
        extended = false;
        break;
    case SDL_SCANCODE_KP_1:
        vk = kVkEnd;
        extended = false;
        break;
    case SDL_SCANCODE_KP_9:
        vk = kVkPageUp;
        extended = false;
        break;
    case SDL_SCANCODE_KP_3:
        vk = kVkPageDown;
        extended = false;
        break;
    case SDL_SCANCODE_KP_8:
        vk = kVkUp;
        extended = false;
        break;
    case SDL_SCANCODE_KP_2:
        vk = kVkDown;
        extended = false;
        break;
    case SDL_SCANCODE_KP_4:
        vk = kVkLeft;
        extended = false;
        break;
    case SDL_SCANCODE_KP_6:
        vk = kVkRight;
        extended = false;
        break;
    default: break;
    }
    switch (key.keysym.scancode) {
    case SDL_SCANCODE_KP_4: keypadDigitToDrop = '4'; break;
    case SDL_SCANCODE_KP_5: keypadDigitToDrop = '5'; break;
    case SDL_SCANCODE_KP_6: keypadDigitToDrop = '6'; break;
    default: break;
    }
    m.type = vk ? WindowMessage::KeyDown : WindowMessage::Other;
    m.code = vk;
    m.extended = extended && vk != 0;
    pending.push_back(m);
}

void Translate(const SDL_Event& e) {
    WindowMessage m;
    switch (e.type) {
    case SDL_QUIT:
        if (destroySent) return;
        destroySent = true;
        m.type = WindowMessage::Destroy;
        break;
    case SDL_USEREVENT:
        m.type = WindowMessage::Quit;
        m.code = uint32_t(e.user.code);
        break;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            if (destroySent) return;
            destroySent = true;
            m.type = WindowMessage::Destroy;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: m.type = WindowMessage::Activate; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: m.type = WindowMessage::Deactivate; break;
        case SDL_WINDOWEVENT_EXPOSED: m.type = WindowMessage::Paint; break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!IsFullScreen() && e.window.data1 > 0 && e.window.data2 > 0) {
                placement.width = e.window.data1;
                placement.height = e.window.data2;
            }
            m.type = WindowMessage::Other;
            break;
        default: m.type = WindowMessage::Other; break;
        }
        break;
    case SDL_TEXTINPUT: QueueText(e.text.text); return;
    case SDL_SYSWMEVENT:
        if (e.syswm.msg && e.syswm.msg->subsystem == SDL_SYSWM_X11 &&
            e.syswm.msg->msg.x11.event.type == DestroyNotify &&
            e.syswm.msg->msg.x11.event.xdestroywindow.window == xWindow && xWindow != 0) {
            xWindowGone = true;
            if (destroySent) return;
            destroySent = true;
            m.type = WindowMessage::Destroy;
            break;
        }
        m.type = WindowMessage::Other;
        break;
    case SDL_KEYDOWN: QueueKeyDown(e.key); return;
    case SDL_MOUSEMOTION:
        m.type =
            MapPointer(e.motion.x, e.motion.y, &m.x, &m.y) ? WindowMessage::MouseMove : WindowMessage::Other;
        break;
    case SDL_MOUSEBUTTONDOWN:
        m.type = e.button.button == SDL_BUTTON_LEFT && MapPointer(e.button.x, e.button.y, &m.x, &m.y)
                     ? WindowMessage::LeftButtonDown
                     : WindowMessage::Other;
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        m.type =
            notches != 0 && MapPointer(x, y, &m.x, &m.y) ? WindowMessage::MouseWheel : WindowMessage::Other;
        m.wheel = notches;
        break;
    }
    default: m.type = WindowMessage::Other; break;
    }
    pending.push_back(m);
}

// Neither display variable is set: SDL has nothing to open a window on.
bool NoDisplayNamed() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (!x || !*x) && (!wayland || !*wayland);
}

// SDL fell back to a driver that shows nothing without SDL_VIDEODRIVER asking for it: the program would run
// unseen until killed.
bool ShowsNothingUnasked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0))
        return false;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return !asked || SDL_strcasestr(asked, driver) == nullptr;
}

}  // namespace

std::string TypedTextToBytes(const char* text) {
    std::string out;
    if (!text) return out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        uint32_t codePoint = 0;
        int extra = 0;
        if (*p < 0x80) {
            codePoint = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            codePoint = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            codePoint = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            codePoint = *p & 0x07;
            extra = 3;
        } else {
            ++p;  // a stray continuation byte or an invalid lead byte
            continue;
        }
        ++p;
        int taken = 0;
        for (; taken < extra && (*p & 0xC0) == 0x80; ++taken, ++p) codePoint = codePoint << 6 | (*p & 0x3F);
        if (taken < extra) continue;  // a sequence cut short
        if (codePoint >= 0x20 && codePoint <= 0xFF && codePoint != 0x7F) out += static_cast<char>(codePoint);
    }
    return out;
}

bool StartVideo() {
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

int DesktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    int bits = int(SDL_BITSPERPIXEL(mode.format));
    // A 24-bit colour mode stored in 32-bit pixels is what Windows calls a 32-bit desktop.
    return bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : bits;
}

CreateWindowResult CreateAppWindow(const WindowSettings& settings, void** window) {
    *window = nullptr;
    // The X11 window class is read from the environment when the video system starts.
    setenv("SDL_VIDEO_X11_WMCLASS", settings.className.c_str(), 1);
    if (!StartVideo()) return NoDisplayNamed() ? CreateWindowResult::NoDisplay : CreateWindowResult::NoVideo;
    if (ShowsNothingUnasked()) return CreateWindowResult::NoDisplay;
    PrepareGlWindowAttributes();
    SDL_Window* w = SDL_CreateWindow(settings.title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     settings.width, settings.height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!w) return CreateWindowResult::NoWindow;
    appWindow = w;
    pictureWidth = settings.pictureWidth;
    pictureHeight = settings.pictureHeight;
    placement = WindowPlacement{settings.width, settings.height, false};
    keypadDigitToDrop = 0;
    coveredByHand = false;
    SDL_StartTextInput();
    pending.clear();
    destroySent = false;
    xWindowGone = false;
    xWindow = 0;
    xDisplay = nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(w, &info) && info.subsystem == SDL_SYSWM_X11) {
        xWindow = info.info.x11.window;
        xDisplay = info.info.x11.display;
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        XErrorHandler previous = XSetErrorHandler(OnXError);
        if (previous != OnXError) previousErrorHandler = previous;
    }
    if (settings.fullscreen) ToggleFullScreen();
    *window = w;
    return CreateWindowResult::Ok;
}

bool AppWindowCanShow(void* window) {
    if (!window) return false;
    if (xWindow == 0 || xDisplay == nullptr) return true;
    if (xWindowGone) return false;
    // Something outside may have destroyed the X window before its destroy event reached us; a frame
    // shown on a gone window crashes the software renderer, so ask the server first (one round trip).
    XWindowAttributes attributes;
    if (XGetWindowAttributes(xDisplay, xWindow, &attributes) == 0) xWindowGone = true;
    return !xWindowGone;
}

void ShowAppWindow(void* window) {
    if (window) SDL_ShowWindow(static_cast<SDL_Window*>(window));
}

void DestroyAppWindow(void* window) {
    if (!window) return;
    if (window == appWindow) appWindow = nullptr;
    // The video system stays up until the process ends: stopping it unloads the libraries SDL opened,
    // which would hide their remaining allocations from the leak report's module names.
    SDL_DestroyWindow(static_cast<SDL_Window*>(window));
}

void SetAppWindowTitle(const std::string& title) {
    if (appWindow) SDL_SetWindowTitle(appWindow, title.c_str());
}

WindowPlacement GetAppWindowPlacement() {
    WindowPlacement p = placement;
    p.fullscreen = IsFullScreen();
    return p;
}

void ToggleFullScreen() {
    if (!appWindow) return;
    const bool leaving = IsFullScreen();
    if (WindowManagerRunning()) {
        SDL_SetWindowFullscreen(appWindow, leaving ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    // No window manager (a bare X server, a kiosk): the window moves over the whole display itself.
    if (!leaving) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(appWindow)), &bounds) != 0) return;
        SDL_GetWindowPosition(appWindow, &windowedX, &windowedY);
        coveredByHand = true;
        SDL_SetWindowPosition(appWindow, bounds.x, bounds.y);
        SDL_SetWindowSize(appWindow, bounds.w, bounds.h);
    } else {
        coveredByHand = false;
        SDL_SetWindowSize(appWindow, placement.width, placement.height);
        SDL_SetWindowPosition(appWindow, windowedX, windowedY);
    }
}

bool PollWindowMessage(WindowMessage* out) {
    while (pending.empty()) {
        SDL_Event e;
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || !SDL_PollEvent(&e)) return false;
        Translate(e);
    }
    *out = pending.front();
    pending.pop_front();
    return true;
}

void PostQuit(int exitCode) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        WindowMessage m;
        m.type = WindowMessage::Quit;
        m.code = uint32_t(exitCode);
        pending.push_back(m);
        return;
    }
    SDL_Event e{};
    e.type = SDL_USEREVENT;
    e.user.code = exitCode;
    SDL_PushEvent(&e);
}

void KeepScreenAwake(bool awake) {
    if (awake)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

void ShowCursor() {
    SDL_ShowCursor(SDL_ENABLE);
}

int64_t PerformanceCounter() {
    return int64_t(SDL_GetPerformanceCounter());
}
int64_t PerformanceFrequency() {
    return int64_t(SDL_GetPerformanceFrequency());
}
void YieldTimeSlice() {
    std::this_thread::yield();
}

}  // namespace platform
