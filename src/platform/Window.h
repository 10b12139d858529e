// The program's one window and its events, translated into the messages the window procedure handles.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Virtual key codes of the ten extended editing and arrow keys (the Windows numbers).
constexpr uint32_t kVkPageUp = 0x21, kVkPageDown = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25,
                   kVkUp = 0x26, kVkRight = 0x27, kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E;

// One window message. Typed characters come as Char (one byte each, Backspace 8, Enter 13); the editing
// and arrow keys as KeyDown with extended set (their keypad twins have extended clear).
struct WindowMessage {
    enum Type {
        None,
        Quit,            // the loop's end; code = exit code
        Destroy,         // the window is being closed
        Char,            // code = the character byte
        KeyDown,         // code = virtual key
        MouseMove,       // x, y in picture coordinates (a move over a bar is not sent)
        LeftButtonDown,  // x, y (a click on a bar is not sent)
        MouseWheel,      // x, y; wheel = notches, positive away from the user
        Paste,           // text = the clipboard's printable start (Ctrl+V)
        Activate,        // the window gained the input focus
        Deactivate,      // it lost the focus
        Paint,
        Other,
    };
    Type type = None;
    uint32_t code = 0;
    bool extended = false;  // KeyDown: an extended (non-keypad) key
    int32_t x = 0, y = 0;
    int32_t wheel = 0;
    std::string text{};  // Paste: the pasted bytes
};

struct WindowSettings {
    std::string title;
    std::string className;  // the X11 window class
    int width = 800;        // the window's drawing area at the start (when not full screen)
    int height = 600;
    bool fullscreen = false;  // start covering the desktop at its own resolution
    int pictureWidth = 800;   // the program's picture, scaled into the window; pointer positions are in it
    int pictureHeight = 600;
};

enum class CreateWindowResult { Ok, NoVideo, NoWindow, NoDisplay };

// Starts the video system (left running for the program's window). False when it cannot start.
bool StartVideo();
// Bits per pixel of the desktop's display mode as Windows counts them (32 when it cannot be read).
int DesktopBitsPerPixel();

// Creates the window (resizable, OpenGL-capable) and returns its handle (an SDL_Window*) through window.
// NoVideo: the video system could not start; NoWindow: the window could not be made; NoDisplay: there is
// no display to show it on (the only video driver left shows nothing, and SDL_VIDEODRIVER did not ask
// for it).
CreateWindowResult CreateAppWindow(const WindowSettings& settings, void** window);
void ShowAppWindow(void* window);
// Whether a frame can still be shown in the window: false once something outside has destroyed it.
bool AppWindowCanShow(void* window);
void DestroyAppWindow(void* window);
void SetAppWindowTitle(const std::string& title);

// The window's size when not full screen, and whether it is full screen now: what the next start restores.
struct WindowPlacement {
    int width = 800;
    int height = 600;
    bool fullscreen = false;
};
WindowPlacement GetAppWindowPlacement();
// Switches between the window and full screen (the desktop's resolution, no mode change): F11, Alt+Enter.
void ToggleFullScreen();

// The single bytes of typed UTF-8 text: each character from 0x20 to 0xFF (Latin-1) except 0x7F; characters
// without a byte, control characters and malformed sequences are dropped.
std::string TypedTextToBytes(const char* text);

// Takes one message without waiting. False when none is waiting.
bool PollWindowMessage(WindowMessage* out);
// Queues the quit message with an exit code (taken by a later PollWindowMessage).
void PostQuit(int exitCode);

// Keeps the screen saver and monitor power-saving off (true) or lets them run again (false).
void KeepScreenAwake(bool awake);
// Shows the mouse cursor.
void ShowCursor();

// High-resolution clock.
int64_t PerformanceCounter();
int64_t PerformanceFrequency();
// Gives up the rest of the time slice.
void YieldTimeSlice();

}  // namespace platform
