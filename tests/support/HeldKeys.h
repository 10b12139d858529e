// A keyboard source whose keys are held by the test: down[scan code] = 0x80 holds a key.
#pragma once

#include <algorithm>
#include <cstdint>

#include "runtime/Keyboard.h"

class HeldKeys : public KeyboardSource {
public:
    std::uint8_t down[256] = {};
    bool CreateInterface() override { return true; }
    bool CreateDevice() override { return true; }
    bool Cooperate(void*, bool) override { return true; }
    bool Acquire() override { return true; }
    bool Poll() override { return true; }
    bool GetState(std::uint8_t keys[256]) override { return std::copy(down, down + 256, keys), true; }
    void Release() override {}
};
