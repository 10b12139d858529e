// Message boxes through SDL, a test hook, or stderr for headless runs.
#include "platform/MessageBox.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace {
std::atomic<MessageBoxHook> gHook{nullptr};

bool DialogsDisabled() {
    const char* value = std::getenv("VELMVIEW_NO_DIALOGS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}
}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    return gHook.exchange(hook);
}

void ShowMessageBox(const std::string& caption, const std::string& text) {
    if (MessageBoxHook hook = gHook.load()) {
        hook(caption, text);
        return;
    }
    if (DialogsDisabled()) {
        std::fprintf(stderr, "[message box] %s\n%s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        return;
    }
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(), nullptr) != 0) {
        // No display to show it on: the text must not be lost.
        std::fprintf(stderr, "[message box] %s\n%s\n", caption.c_str(), text.c_str());
    }
}

void EchoStartupFailure(const std::string& text) {
    if (!DialogsDisabled()) return;
    static std::mutex lock;
    static std::set<std::string> said;
    std::lock_guard<std::mutex> guard(lock);
    if (!said.insert(text).second) return;
    std::fprintf(stderr, "velmview: %s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
    std::fflush(stderr);
}
