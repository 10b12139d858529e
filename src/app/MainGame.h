// The process's start, its frame loop and its end: the window, the graphics foundation, the keyboard and
// the scene stack, run on the main thread.
#pragma once

#include <cstdint>
#include <string>

#include "app/Scene.h"
#include "platform/Window.h"

// The loop's condition. Cleared by the quit message, a graphics failure, a failed start-up step, and a
// frame whose scene update found the stack empty.
bool IsRunning();
void SetRunning(bool running);

// What the loop needs from the platform; tests give a fake clock and message queue.
class LoopPlatform {
public:
    virtual ~LoopPlatform() = default;
    virtual bool PollMessage(platform::WindowMessage* out) = 0;
    virtual int64_t Counter() = 0;
    virtual int64_t Frequency() = 0;
    virtual void Yield(bool focused) = 0;  // between frames; unfocused, the process gives way to others
    virtual void PostQuit(int exitCode) = 0;
    virtual void KeepScreenAwake(bool awake) = 0;
};

// The SDL window's messages and clock.
LoopPlatform& SystemLoopPlatform();

// The window procedure: true when the message was handled.
bool MainWindowProc(const platform::WindowMessage& message, LoopPlatform& loopPlatform);

// One frame of the given seconds: drawn when the foundation begins it, else only the scene update.
void RunFrame(float seconds);

// The loop while running. Returns the exit code: that of the quit message, 0 when none was taken.
int RunMainLoop(LoopPlatform& loopPlatform);

// The minimum time between frame starts: the float nearest to 1/1982 s.
constexpr float kMinimumFrameInterval = 1.0f / 1982.0f;

// Makes the first scene (already registered with the memory tracker), or null for none.
using FirstSceneFactory = Scene* (*)();

struct WindowOptions;

// The whole program: start-up, loop, shutdown. Returns the process's exit code. The window starts as the
// options say, else as the player's settings file remembers it; the file is written at the end.
int MainGame(FirstSceneFactory makeFirstScene);
int MainGame(FirstSceneFactory makeFirstScene, const WindowOptions& options);

// The window title: "VelmView Client (written by " + credit + ")".
std::string MainWindowTitle();
