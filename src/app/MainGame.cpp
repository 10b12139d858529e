// Start-up, frame loop and shutdown in their fixed order, and the window procedure.
#include "app/MainGame.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/SceneManager.h"
#include "app/WindowOptions.h"
#include "gfx/DXG.h"
#include "gfx/GraphicsSupport.h"
#include "platform/MessageBox.h"
#include "runtime/Keyboard.h"
#include "runtime/LogFile.h"
#include "runtime/Pointer.h"
#include "runtime/ProcessState.h"

namespace {

struct State {
    bool running = false;
    bool focused = true;  // the window has the input focus
};

State& S() {
    static State state;
    return state;
}

const bool kRegistered = RegisterProcessState(
    "main loop", [] { S() = State(); }, kAppState);

class SystemPlatform : public LoopPlatform {
public:
    bool PollMessage(platform::WindowMessage* out) override { return platform::PollWindowMessage(out); }
    int64_t Counter() override { return platform::PerformanceCounter(); }
    int64_t Frequency() override { return platform::PerformanceFrequency(); }
    void Yield(bool focused) override {
        // Linux does not let a process raise its priority again once lowered; a short sleep while the
        // window is in the background gives the processor to other programs instead.
        if (focused)
            platform::YieldTimeSlice();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void PostQuit(int exitCode) override { platform::PostQuit(exitCode); }
    void KeepScreenAwake(bool awake) override { platform::KeepScreenAwake(awake); }
};

}  // namespace

bool IsRunning() {
    return S().running;
}
void SetRunning(bool running) {
    S().running = running;
}

LoopPlatform& SystemLoopPlatform() {
    static SystemPlatform platformLoop;
    return platformLoop;
}

std::string MainWindowTitle() {
    return "VelmView Client (written by the VelmView team)";
}

bool MainWindowProc(const platform::WindowMessage& message, LoopPlatform& loopPlatform) {
    if (HandleCharMessage(message)) return true;
    if (HandlePointerMessage(message)) return true;
    switch (message.type) {
    case platform::WindowMessage::Destroy:
        RemoveAllScenes();
        loopPlatform.PostQuit(0);
        return true;
    case platform::WindowMessage::Activate:
        S().focused = true;
        loopPlatform.KeepScreenAwake(true);
        return true;
    case platform::WindowMessage::Deactivate:
        S().focused = false;
        loopPlatform.KeepScreenAwake(false);
        return true;
    case platform::WindowMessage::Paint: return true;  // frames do the drawing
    default: return false;
    }
}

void RunFrame(float seconds) {
    if (DXG::BeginFrame(seconds, true, true)) {
        RenderScenes();
        DXG::EndFrame0();
        KeyboardStateManager::Update();
        if (!UpdateScenes(seconds)) S().running = false;
        ClearChars();
        ClearMouseClick();
        DXG::EndFrame1();
    } else {
        // Keys are not polled, and typed characters and the click wait for the next update.
        if (!UpdateScenes(seconds)) S().running = false;
    }
}

int RunMainLoop(LoopPlatform& loopPlatform) {
    int64_t lastFrameStart = loopPlatform.Counter();
    int64_t frequency = loopPlatform.Frequency();
    int exitCode = 0;
    while (S().running) {
        platform::WindowMessage message;
        if (loopPlatform.PollMessage(&message)) {
            exitCode = message.type == platform::WindowMessage::Quit ? int(message.code) : 0;
            if (message.type == platform::WindowMessage::Quit)
                S().running = false;
            else
                MainWindowProc(message, loopPlatform);
            continue;
        }
        if (DXG::HasFailed()) {
            S().running = false;
            errorLog.Write("The ");
            errorLog.Write("graphics ");
            errorLog.Write("foundation has reported an unrecoverable error.  Program shut down.\n");
            continue;
        }
        int64_t now = loopPlatform.Counter();
        long double elapsed =
            static_cast<long double>(now - lastFrameStart) / static_cast<long double>(frequency);
        if (elapsed > static_cast<long double>(kMinimumFrameInterval)) {
            float seconds = static_cast<float>(elapsed);
            lastFrameStart = now;
            RunFrame(seconds);
        }
        loopPlatform.Yield(S().focused);
    }
    return exitCode;
}

int MainGame(FirstSceneFactory makeFirstScene) {
    return MainGame(makeFirstScene, WindowOptions());
}

int MainGame(FirstSceneFactory makeFirstScene, const WindowOptions& options) {
    State& s = S();
    s.running = true;
    s.focused = true;

    const std::filesystem::path settingsFile = DesktopSettingsPath();
    const DesktopSettings start = StartingWindow(options, LoadDesktopSettings(settingsFile));
    platform::WindowSettings settings{MainWindowTitle(), "VelmViewWindow", start.width, start.height,
                                      start.fullscreen};
    void* window = nullptr;
    switch (platform::CreateAppWindow(settings, &window)) {
    case platform::CreateWindowResult::NoVideo: errorLog.Write("couldn't register window class"); return 1;
    case platform::CreateWindowResult::NoWindow: errorLog.Write("couldn't make a window :("); return 1;
    case platform::CreateWindowResult::NoDisplay:
        // Without a display the client would run unseen until killed: say so where a terminal shows it.
        std::fputs("no display: set DISPLAY or WAYLAND_DISPLAY\n", stderr);
        errorLog.Write("no display: set DISPLAY or WAYLAND_DISPLAY\n");
        return 1;
    case platform::CreateWindowResult::Ok: break;
    }
    platform::ShowAppWindow(window);

    DXG::Setup setup;  // the record's defaults are the program's display set-up
    std::string warning;
    if (CheckGraphicsSupport(&setup.hardwareVertexProcessing, &warning)) ShowMessageBox("warning", warning);

    s.running = DXG::Init(window, &setup);
    if (!s.running) ShowMessageBox("error", "Direct3D init failed.\n _error.txt may contain details.");
    if (s.running) s.running = KeyboardStateManager::Init(nullptr, window, false);
    if (s.running && makeFirstScene) {
        if (Scene* first = makeFirstScene()) AddScene(first);
    }

    int exitCode = RunMainLoop(SystemLoopPlatform());

    SceneManagerShutdown();
    KeyboardStateManager::Shutdown();
    DXG::Shutdown();
    platform::ShowCursor();
    const platform::WindowPlacement placement = platform::GetAppWindowPlacement();
    SaveDesktopSettings(settingsFile,
                        DesktopSettings{placement.width, placement.height, placement.fullscreen});
    platform::DestroyAppWindow(window);
    return exitCode;
}
