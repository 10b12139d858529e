// The frame-rate overlay: statistics and texts here; the text object draws them.
#include "app/FrameRateOverlay.h"

#include <cstdint>

#include "gfx/DXG.h"

namespace FrameRateOverlay {

namespace {

struct State {
    bool exists = false;       // the overlay's text object exists
    float history[4] = {};     // rates of the four previous updates, newest first
    std::string text;
};

State& S() {
    static State state;
    return state;
}

// The whole part by truncation toward zero; rates beyond the integer range (a zero-length frame) show 0.
long WholePart(float value) {
    if (!(value > -2147483648.0f && value < 2147483647.0f)) return 0;
    return long(value);
}

}  // namespace

std::string FormatText(float seconds, const float history[4]) {
    float rate = 1.0f / seconds;
    float average = (rate + history[0] + history[1] + history[2] + history[3]) * 0.2f;
    return "FPS: " + std::to_string(WholePart(rate)) + "\nFPS (last 5 avg): " + std::to_string(WholePart(average));
}

void Update(float seconds) {
    State& s = S();
    if (!s.exists && DXG::IsReady()) {
        s.exists = true;  // the text object is made here, placed at (5, 5)
    }
    if (!s.exists) return;
    s.text = FormatText(seconds, s.history);
    float rate = 1.0f / seconds;
    s.history[3] = s.history[2];
    s.history[2] = s.history[1];
    s.history[1] = s.history[0];
    s.history[0] = rate;
}

void Render() {
    State& s = S();
    if (!s.exists) return;
    // The text object draws s.text here.
}

void Release() {
    State& s = S();
    s.exists = false;  // the text object is deleted here (tracked delete)
}

bool Exists() { return S().exists; }

std::string CurrentText() { return S().text; }

void resetForTests() {
    Release();
    S() = State();
}

}  // namespace FrameRateOverlay
