// Shared pieces of the app tests: a scene that writes what happens to it into the recording device's call
// list (so scene calls and device calls show in one order), a fake loop platform and a fake keyboard.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/MainGame.h"
#include "app/SceneManager.h"
#include "gfx/DxgTesting.h"
#include "runtime/Keyboard.h"

// Where test scenes write their events: the device's call list when there is one, else this list.
std::vector<std::string>& SceneEvents();
void Note(const std::string& text);

class ProbeScene : public Scene {
public:
    explicit ProbeScene(std::string name) : m_name(std::move(name)) {}
    ~ProbeScene() override;
    void Update(float seconds) override;
    void Render() override;
    void OnEnter() override { Note(m_name + ".OnEnter"); }
    void OnLeave() override { Note(m_name + ".OnLeave"); }
    void OnDeviceLost() override { Note(m_name + ".OnDeviceLost"); }
    std::string GetName() override { return m_name; }

    std::function<void(ProbeScene&, float)> onUpdate;  // runs inside Update
    std::vector<float> updates;

private:
    std::string m_name;
};

// Creates a probe scene registered with the memory tracker, as the program creates its scenes.
ProbeScene* NewProbeScene(const std::string& name);

class FakeLoopPlatform : public LoopPlatform {
public:
    std::deque<platform::WindowMessage> messages;
    int64_t now = 0;
    int64_t frequency = 1000000;   // ticks per second
    int64_t stepPerYield = 10000;  // 10 ms per loop turn
    int yields = 0;
    int maxYields = 100000;  // a loop that never ends fails the test instead of hanging
    std::vector<bool> screenAwake;

    bool PollMessage(platform::WindowMessage* out) override;
    int64_t Counter() override { return now; }
    int64_t Frequency() override { return frequency; }
    void Yield(bool focused) override;
    void PostQuit(int exitCode) override;
    void KeepScreenAwake(bool awake) override { screenAwake.push_back(awake); }
    std::vector<bool> focusAtYield;
};

class FakeKeyboard : public KeyboardSource {
public:
    uint8_t keys[256] = {};
    bool lost = false;  // Poll and GetState fail while lost
    bool canAcquire = true;
    bool acquired = false;
    bool failInterface = false, failDevice = false, failCooperate = false;

    bool CreateInterface() override { return !failInterface; }
    bool CreateDevice() override { return !failDevice; }
    bool Cooperate(void*, bool) override { return !failCooperate; }
    bool Acquire() override;
    bool Poll() override;
    bool GetState(uint8_t out[256]) override;
    void Release() override { acquired = false; }
};

platform::WindowMessage Message(platform::WindowMessage::Type type, uint32_t code = 0, bool extended = false,
                                int x = 0, int y = 0);
