// The pointer state: one position and one click flag for the process.
#include "runtime/Pointer.h"

#include <algorithm>
#include <cstdint>

#include "runtime/ProcessState.h"

namespace {

struct State {
    int32_t x = 0, y = 0;  // picture coordinates
    bool clicked = false;
    int wheel = 0;  // notches not yet taken
};

State& S() {
    static State state;
    return state;
}

const bool kRegistered = RegisterProcessState(
    "pointer", [] { S() = State(); }, kRuntimeState);

}  // namespace

bool HandlePointerMessage(const platform::WindowMessage& message) {
    State& s = S();
    switch (message.type) {
    case platform::WindowMessage::MouseMove:
        // Client coordinates travel as signed 16-bit values.
        s.x = int16_t(uint16_t(message.x));
        s.y = int16_t(uint16_t(message.y));
        return true;
    case platform::WindowMessage::LeftButtonDown: s.clicked = true; return true;
    case platform::WindowMessage::MouseWheel:
        s.x = message.x;
        s.y = message.y;
        // Bounded: a runaway wheel cannot overflow the count.
        s.wheel = std::clamp(s.wheel + message.wheel, -10000, 10000);
        return true;
    default: return false;
    }
}

void GetMousePosition(int* x, int* y) {
    if (x) *x = S().x;
    if (y) *y = S().y;
}

bool GetMouseClick(int* x, int* y) {
    GetMousePosition(x, y);
    return S().clicked;
}

void ClearMouseClick() {
    S().clicked = false;
    S().wheel = 0;  // notches no scene took by the frame's end are not kept for a later scene
}

int TakeMouseWheel() {
    const int notches = S().wheel;
    S().wheel = 0;
    return notches;
}
