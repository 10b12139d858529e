// The physical keyboard as 256 key states indexed by DirectInput scan codes (PC set-1 codes, extended
// keys + 0x80), read from SDL's keyboard state.
#pragma once

#include <cstdint>

namespace platform {

// The DirectInput scan code of an SDL scancode, 0 when it has none.
uint8_t DirectInputCodeOf(int sdlScancode);

// Fills keys[i] with 0x80 when key i is down, else 0. False when the keyboard cannot be read, which is the
// case while no window of the program has the input focus (the keyboard is then "lost").
bool ReadKeyboardState(uint8_t keys[256]);

// True when the video system (and with it the keyboard) is running.
bool KeyboardAvailable();

}  // namespace platform
