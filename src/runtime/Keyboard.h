// The keyboard state manager: the 256 key states of this frame and the previous one, in DirectInput scan
// codes, and the queue of typed characters fed from the window's messages.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Window.h"

// Scan codes the program asks for.
constexpr uint8_t kScanEnter = 0x1C;
constexpr uint8_t kScanLeftControl = 29;
constexpr uint8_t kScanRightControl = 157;
constexpr uint8_t kScanKeypad4 = 0x4B;
constexpr uint8_t kScanKeypad5 = 0x4C;
constexpr uint8_t kScanKeypad6 = 0x4D;
constexpr uint8_t kScanKeypad8 = 0x48;
constexpr uint8_t kScanKeypad2 = 0x50;
constexpr uint8_t kScanUp = 0xC8;
constexpr uint8_t kScanDown = 0xD0;
constexpr uint8_t kScanLeft = 0xCB;
constexpr uint8_t kScanRight = 0xCD;

// Where the key states come from, in the steps of a direct keyboard device.
class KeyboardSource {
public:
    virtual ~KeyboardSource() = default;
    virtual bool CreateInterface() = 0;
    virtual bool CreateDevice() = 0;
    virtual bool Cooperate(void* window, bool exclusive) = 0;
    virtual bool Acquire() = 0;
    virtual bool Poll() = 0;                       // false while the device is lost
    virtual bool GetState(uint8_t keys[256]) = 0;  // byte i non-zero: key i down
    virtual void Release() = 0;
};

namespace KeyboardStateManager {
// Starts the keyboard for the window. False (with the reason in _error.txt) when it cannot be read.
bool Init(void* instance, void* window, bool exclusive);
// Reads the keys once; called once per frame.
void Update();
void Shutdown();
// The source Init starts instead of the SDL keyboard (null restores it).
void SetSource(KeyboardSource* source);
}  // namespace KeyboardStateManager

bool IsKeyDown(uint8_t scanCode);
bool WasKeyPressed(uint8_t scanCode);  // down now and not in the previous frame

// Queues typed characters and the codes of the editing and arrow keys. True when it used the message.
bool HandleCharMessage(const platform::WindowMessage& message);
bool HasChars();
uint8_t PopChar();  // 0 when the queue is empty
void ClearChars();
// Text pasted since the last drawn frame (Ctrl+V), printable bytes only, at most platform::kPasteLimit;
// taking it empties it. Kept apart from typed characters: it arrives while Control is held.
std::string TakePastedText();
