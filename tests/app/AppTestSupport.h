// A probe scene noting its calls among the recording device's, a fake loop platform and a fake keyboard.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/MainGame.h"
#include "app/SceneManager.h"
#include "runtime/Keyboard.h"
#include "testing/DxgTesting.h"

std::vector<std::string>& SceneEvents();
void Note(const std::string& text);

class ProbeScene : public Scene {
public:
    explicit ProbeScene(std::string name) : m_name(std::move(name)) {}
    ~ProbeScene() override { Note(m_name + ".deleted"); }
    void Update(float seconds) override;
    void Render() override { Note(m_name + ".Render"); }
    void OnEnter() override { Note(m_name + ".OnEnter"); }
    void OnLeave() override { Note(m_name + ".OnLeave"); }
    void OnDeviceLost() override { Note(m_name + ".OnDeviceLost"); }
    std::string GetName() override { return m_name; }

    std::function<void(ProbeScene&, float)> onUpdate;  // runs inside Update
    std::vector<float> updates;

private:
    std::string m_name;
};

// A probe scene registered with the memory tracker, as the program creates its scenes.
ProbeScene* NewProbeScene(const std::string& name);

inline platform::WindowMessage Message(platform::WindowMessage::Type type, uint32_t code = 0,
                                       bool extended = false, int x = 0, int y = 0) {
    return {type, code, extended, x, y};
}

class FakeLoopPlatform : public LoopPlatform {
public:
    std::deque<platform::WindowMessage> messages;
    int64_t now = 0;
    int64_t stepPerYield = 10000;  // microseconds per loop turn
    int yields = 0;
    std::vector<bool> screenAwake, focusAtYield;

    bool PollMessage(platform::WindowMessage* out) override {
        if (messages.empty()) return false;
        *out = messages.front();
        messages.pop_front();
        return true;
    }
    int64_t Counter() override { return now; }
    int64_t Frequency() override { return 1000000; }
    void Yield(bool focused) override;  // a loop that never ends fails the test instead of hanging
    void PostQuit(int exitCode) override {
        messages.push_back(Message(platform::WindowMessage::Quit, exitCode));
    }
    void KeepScreenAwake(bool awake) override { screenAwake.push_back(awake); }
};

// A keyboard with no key down that notes its polls.
class FakeKeyboard : public KeyboardSource {
public:
    bool CreateInterface() override { return true; }
    bool CreateDevice() override { return true; }
    bool Cooperate(void*, bool) override { return true; }
    bool Acquire() override { return true; }
    bool Poll() override { return Note("Keyboard.Poll"), true; }
    bool GetState(uint8_t out[256]) override { return std::fill(out, out + 256, 0), true; }
    void Release() override {}
};
