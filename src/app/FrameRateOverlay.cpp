// The frame-rate overlay: statistics and texts here; the text object draws them.
#include "app/FrameRateOverlay.h"

#include <cstdint>

#include "gfx/CText.h"
#include "gfx/DXG.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"

namespace FrameRateOverlay {

void Release();

namespace {

struct State {
    CText* overlay = nullptr;  // the overlay's text object (tracked), null when there is none
    float history[4] = {};     // rates of the four previous updates, newest first
    std::string text;
};

State& S() {
    static State state;
    return state;
}

void Forget() {
    Release();
    S() = State();
}

const bool kRegistered = RegisterProcessState("frame-rate overlay", Forget, kAppState);

// The whole part by truncation toward zero; rates beyond the integer range (a zero-length frame) show 0.
long WholePart(float value) {
    if (!(value > -2147483648.0f && value < 2147483647.0f)) return 0;
    return long(value);
}

}  // namespace

std::string FormatText(float seconds, const float history[4]) {
    float rate = 1.0f / seconds;
    float average = (rate + history[0] + history[1] + history[2] + history[3]) * 0.2f;
    return "FPS: " + std::to_string(WholePart(rate)) +
           "\nFPS (last 5 avg): " + std::to_string(WholePart(average));
}

void Update(float seconds) {
    State& s = S();
    if (s.overlay == nullptr && DXG::IsReady()) {
        s.overlay = track(new CText(), "CText", VELM_SITE);
    }
    if (s.overlay == nullptr) return;
    s.overlay->SetPosition(5, 5);
    s.text = FormatText(seconds, s.history);
    s.overlay->SetText(s.text);
    float rate = 1.0f / seconds;
    s.history[3] = s.history[2];
    s.history[2] = s.history[1];
    s.history[1] = s.history[0];
    s.history[0] = rate;
}

void Render() {
    State& s = S();
    if (s.overlay != nullptr) s.overlay->Draw();
}

void Release() {
    State& s = S();
    if (s.overlay != nullptr) {
        trackedDelete(s.overlay, VELM_SITE);
        s.overlay = nullptr;
    }
}

bool Exists() {
    return S().overlay != nullptr;
}

std::string CurrentText() {
    return S().text;
}

}  // namespace FrameRateOverlay
