// The app tests' probe scene, fake loop platform and fake keyboard.
#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include "runtime/MemoryTracker.h"

std::vector<std::string>& SceneEvents() {
    static std::vector<std::string> events;
    return events;
}

void Note(const std::string& text) {
    gfx::RecordingDevice* device = nullptr;
    if (DXG::IsReady()) device = dynamic_cast<gfx::RecordingDevice*>(DXG::GetDevice());
    if (device) device->calls.push_back({text, -1});
    SceneEvents().push_back(text);
}

ProbeScene::~ProbeScene() {
    Note(m_name + ".deleted");
}

void ProbeScene::Update(float seconds) {
    char buf[64];
    snprintf(buf, sizeof buf, ".Update(%g)", double(seconds));
    Note(m_name + buf);
    updates.push_back(seconds);
    if (onUpdate) onUpdate(*this, seconds);
}

void ProbeScene::Render() {
    Note(m_name + ".Render");
}

ProbeScene* NewProbeScene(const std::string& name) {
    return track(new ProbeScene(name), "ProbeScene", VELM_SITE);
}

bool FakeLoopPlatform::PollMessage(platform::WindowMessage* out) {
    if (messages.empty()) return false;
    *out = messages.front();
    messages.pop_front();
    return true;
}

void FakeLoopPlatform::Yield(bool focused) {
    focusAtYield.push_back(focused);
    now += stepPerYield;
    if (++yields > maxYields) {
        ADD_FAILURE() << "the loop did not end";
        SetRunning(false);
    }
}

void FakeLoopPlatform::PostQuit(int exitCode) {
    messages.push_back(Message(platform::WindowMessage::Quit, uint32_t(exitCode)));
}

bool FakeKeyboard::Acquire() {
    Note("Keyboard.Acquire");
    acquired = canAcquire && !lost;
    return acquired;
}

bool FakeKeyboard::Poll() {
    Note("Keyboard.Poll");
    if (lost) acquired = false;
    return acquired;
}

bool FakeKeyboard::GetState(uint8_t out[256]) {
    if (!acquired) return false;
    for (int i = 0; i < 256; ++i) out[i] = keys[i];
    return true;
}

platform::WindowMessage Message(platform::WindowMessage::Type type, uint32_t code, bool extended, int x,
                                int y) {
    platform::WindowMessage m;
    m.type = type;
    m.code = code;
    m.extended = extended;
    m.x = x;
    m.y = y;
    return m;
}
