// The keyboard state manager over SDL's keyboard: losing the input focus is the keyboard device being lost.
#include "runtime/Keyboard.h"

#include <algorithm>
#include <bitset>
#include <deque>

#include "platform/Clipboard.h"
#include "platform/KeyboardDevice.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {

// The SDL keyboard in the shape of a direct keyboard device: it is lost when the window loses the focus
// and must be acquired again.
class SdlKeyboardSource : public KeyboardSource {
public:
    bool CreateInterface() override { return platform::KeyboardAvailable(); }
    bool CreateDevice() override { return true; }
    bool Cooperate(void* window, bool) override { return window != nullptr; }
    bool Acquire() override {
        uint8_t keys[256];
        m_acquired = platform::ReadKeyboardState(keys);
        return m_acquired;
    }
    bool Poll() override {
        uint8_t keys[256];
        if (m_acquired && !platform::ReadKeyboardState(keys)) m_acquired = false;
        return m_acquired;
    }
    bool GetState(uint8_t keys[256]) override { return m_acquired && platform::ReadKeyboardState(keys); }
    void Release() override { m_acquired = false; }

private:
    bool m_acquired = false;
};

struct State {
    SdlKeyboardSource sdlSource;
    KeyboardSource* chosenSource = nullptr;  // used by Init instead of the SDL keyboard
    KeyboardSource* source = nullptr;        // while started
    std::bitset<256> current;
    std::bitset<256> previous;
    std::deque<uint8_t> chars;  // typed characters, oldest first
    std::string pasted;         // pasted text, bounded like one paste
};

State& S() {
    static State state;
    return state;
}

const bool kRegistered = RegisterProcessState(
    "keyboard",
    [] {
        State& s = S();
        s.source = s.chosenSource = nullptr;
        s.current.reset();
        s.previous.reset();
        s.chars.clear();
    },
    kRuntimeState);

}  // namespace

namespace KeyboardStateManager {

bool Init(void*, void* window, bool exclusive) {
    State& s = S();
    KeyboardSource* source = s.chosenSource ? s.chosenSource : &s.sdlSource;
    if (!source->CreateInterface()) {
        errorLog.Write("Failed to initialize DirectInput (keyboard state manager)\n");
        return false;
    }
    s.source = source;
    if (!source->CreateDevice()) {
        errorLog.Write("Failed to create DirectInput keyboard device\n");
        Shutdown();
        return false;
    }
    if (!source->Cooperate(window, exclusive)) {
        errorLog.Write("Keyboard refused to cooperate\n");
        Shutdown();
        return false;
    }
    source->Acquire();
    s.current.reset();
    s.previous.reset();
    return true;
}

void Update() {
    State& s = S();
    if (!s.source) return;
    bool reacquired = false;
    if (!s.source->Poll() && s.source->Acquire()) {
        s.current.reset();
        s.previous.reset();
        reacquired = true;
    }
    s.previous = s.current;
    uint8_t keys[256] = {};
    if (s.source->GetState(keys)) {
        for (int i = 0; i < 256; ++i) s.current[size_t(i)] = keys[i] != 0;
        // Keys held while the device was lost do not count as pressed.
        if (reacquired) s.previous = s.current;
    }
}

void Shutdown() {
    State& s = S();
    if (s.source) s.source->Release();
    s.source = nullptr;
}

void SetSource(KeyboardSource* source) {
    S().chosenSource = source;
}

}  // namespace KeyboardStateManager

bool IsKeyDown(uint8_t scanCode) {
    return S().current[scanCode];
}

bool WasKeyPressed(uint8_t scanCode) {
    return S().current[scanCode] && !S().previous[scanCode];
}

bool HandleCharMessage(const platform::WindowMessage& message) {
    State& s = S();
    if (message.type == platform::WindowMessage::Char) {
        if (message.code == 8) {
            s.chars.push_back(0xFF);
            s.chars.push_back(8);
        } else if (message.code == 13) {
            s.chars.push_back(0xFE);
        } else {
            s.chars.push_back(uint8_t(message.code));
        }
        return true;
    }
    if (message.type == platform::WindowMessage::Paste) {
        s.pasted.append(message.text, 0,
                        platform::kPasteLimit - std::min(s.pasted.size(), platform::kPasteLimit));
        return true;
    }
    if (message.type == platform::WindowMessage::KeyDown && message.extended) {
        uint8_t code = 0;
        switch (message.code) {
        case platform::kVkInsert: code = 0xFD; break;
        case platform::kVkDelete: code = 0xFC; break;
        case platform::kVkHome: code = 0xFB; break;
        case platform::kVkEnd: code = 0xFA; break;
        case platform::kVkPageUp: code = 0xF9; break;
        case platform::kVkPageDown: code = 0xF8; break;
        case platform::kVkUp: code = 0xF7; break;
        case platform::kVkDown: code = 0xF6; break;
        case platform::kVkLeft: code = 0xF5; break;
        case platform::kVkRight: code = 0xF4; break;
        default: return false;
        }
        s.chars.push_back(code);
        return true;
    }
    return false;
}

bool HasChars() {
    return !S().chars.empty();
}

uint8_t PopChar() {
    State& s = S();
    if (s.chars.empty()) return 0;
    uint8_t c = s.chars.front();
    s.chars.pop_front();
    return c;
}

void ClearChars() {
    S().chars.clear();
    S().pasted.clear();
}

std::string TakePastedText() {
    std::string text;
    text.swap(S().pasted);
    return text;
}
