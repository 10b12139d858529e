// The keyboard state manager: key sets across frames, loss and re-acquisition of the device (the window's
// input focus), the typed-character queue and the start-up failures.
#include <gtest/gtest.h>

#include "platform/KeyboardDevice.h"
#include "runtime/Keyboard.h"
#include "support/TestSupport.h"

namespace {

using platform::WindowMessage;

class Keys : public KeyboardSource {
public:
    uint8_t down[256] = {};
    bool focused = true;  // the device is lost while the window is in the background
    bool acquired = false;
    bool failInterface = false, failDevice = false, failCooperate = false;
    int releases = 0;

    bool CreateInterface() override { return !failInterface; }
    bool CreateDevice() override { return !failDevice; }
    bool Cooperate(void*, bool) override { return !failCooperate; }
    bool Acquire() override { return acquired = focused; }
    bool Poll() override {
        if (!focused) acquired = false;
        return acquired;
    }
    bool GetState(uint8_t keys[256]) override {
        if (!acquired) return false;
        for (int i = 0; i < 256; ++i) keys[i] = down[i];
        return true;
    }
    void Release() override { ++releases; }
};

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        KeyboardStateManager::resetForTests();
        KeyboardStateManager::SetSourceForTests(&keys);
        ClearLog(errorLog);
    }
    void TearDown() override { KeyboardStateManager::resetForTests(); }
    void Start() { ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false)); }
    Keys keys;
};

TEST_F(Keyboard, HeldKeyIsPressedOnlyInItsFirstFrame) {
    Start();
    keys.down[kScanUp] = 0x80;
    keys.down[kScanRightControl] = 0x80;
    struct Frame {
        bool down, pressed;
    } frames[] = {{true, true}, {true, false}, {true, false}};
    for (const Frame& f : frames) {
        KeyboardStateManager::Update();
        EXPECT_EQ(IsKeyDown(kScanUp), f.down);
        EXPECT_EQ(WasKeyPressed(kScanUp), f.pressed);
        EXPECT_TRUE(IsKeyDown(kScanRightControl));
    }
    keys.down[kScanUp] = 0;
    KeyboardStateManager::Update();
    EXPECT_FALSE(IsKeyDown(kScanUp));
    EXPECT_FALSE(WasKeyPressed(kScanUp));
    keys.down[kScanUp] = 0x80;
    KeyboardStateManager::Update();
    EXPECT_TRUE(WasKeyPressed(kScanUp));
    EXPECT_FALSE(IsKeyDown(kScanLeftControl));
}

TEST_F(Keyboard, LosingTheFocusKeepsTheLastKeysAndHeldKeysAreNotPressedOnReturn) {
    Start();
    keys.down[kScanKeypad4] = 0x80;
    KeyboardStateManager::Update();
    EXPECT_TRUE(WasKeyPressed(kScanKeypad4));
    keys.focused = false;
    KeyboardStateManager::Update();  // lost: the keys stay as they were, nothing is new
    EXPECT_TRUE(IsKeyDown(kScanKeypad4));
    EXPECT_FALSE(WasKeyPressed(kScanKeypad4));
    keys.down[kScanKeypad6] = 0x80;
    keys.focused = true;
    KeyboardStateManager::Update();  // re-acquired
    EXPECT_TRUE(IsKeyDown(kScanKeypad4));
    EXPECT_TRUE(IsKeyDown(kScanKeypad6));
    EXPECT_FALSE(WasKeyPressed(kScanKeypad4));
    EXPECT_FALSE(WasKeyPressed(kScanKeypad6));
    keys.down[kScanKeypad5] = 0x80;
    KeyboardStateManager::Update();
    EXPECT_TRUE(WasKeyPressed(kScanKeypad5));
}

TEST_F(Keyboard, StartUpFailures) {
    struct Case {
        bool failInterface, failDevice, failCooperate;
        const char* text;
    } cases[] = {
        {true, false, false, "Failed to initialize DirectInput (keyboard state manager)\n"},
        {false, true, false, "Failed to create DirectInput keyboard device\n"},
        {false, false, true, "Keyboard refused to cooperate\n"},
    };
    for (const Case& c : cases) {
        Keys source;
        source.failInterface = c.failInterface;
        source.failDevice = c.failDevice;
        source.failCooperate = c.failCooperate;
        KeyboardStateManager::SetSourceForTests(&source);
        ClearLog(errorLog);
        EXPECT_FALSE(KeyboardStateManager::Init(nullptr, &source, false));
        EXPECT_EQ(LogText(errorLog), c.text);
        EXPECT_EQ(source.releases, c.failInterface ? 0 : 1);  // what was made is released again
    }
}

TEST_F(Keyboard, NoWindowSystemMeansNoKeyboard) {
    KeyboardStateManager::SetSourceForTests(nullptr);  // the SDL keyboard, with no video system started
    EXPECT_FALSE(KeyboardStateManager::Init(nullptr, nullptr, false));
    EXPECT_EQ(LogText(errorLog), "Failed to initialize DirectInput (keyboard state manager)\n");
}

TEST_F(Keyboard, TypedCharactersAndEditingKeys) {
    auto chr = [](uint32_t c) {
        WindowMessage m;
        m.type = WindowMessage::Char;
        m.code = c;
        return m;
    };
    auto key = [](uint32_t vk, bool extended) {
        WindowMessage m;
        m.type = WindowMessage::KeyDown;
        m.code = vk;
        m.extended = extended;
        return m;
    };
    struct Case {
        WindowMessage message;
        bool used;
        std::vector<uint8_t> queued;
    } cases[] = {
        {chr('a'), true, {'a'}},
        {chr(8), true, {0xFF, 8}},
        {chr(13), true, {0xFE}},
        {chr(0xE9), true, {0xE9}},
        {key(platform::kVkInsert, true), true, {0xFD}},
        {key(platform::kVkDelete, true), true, {0xFC}},
        {key(platform::kVkHome, true), true, {0xFB}},
        {key(platform::kVkEnd, true), true, {0xFA}},
        {key(platform::kVkPageUp, true), true, {0xF9}},
        {key(platform::kVkPageDown, true), true, {0xF8}},
        {key(platform::kVkUp, true), true, {0xF7}},
        {key(platform::kVkDown, true), true, {0xF6}},
        {key(platform::kVkLeft, true), true, {0xF5}},
        {key(platform::kVkRight, true), true, {0xF4}},
        {key(platform::kVkUp, false), false, {}},  // keypad 8 without Num Lock
        {key(0x41, true), false, {}},
    };
    for (const Case& c : cases) {
        ClearChars();
        EXPECT_EQ(HandleCharMessage(c.message), c.used) << c.message.code;
        std::vector<uint8_t> got;
        while (HasChars()) got.push_back(PopChar());
        EXPECT_EQ(got, c.queued) << c.message.code;
    }
    EXPECT_EQ(PopChar(), 0);
    WindowMessage move;
    move.type = WindowMessage::MouseMove;
    EXPECT_FALSE(HandleCharMessage(move));
}

TEST_F(Keyboard, ClearCharsEmptiesTheQueue) {
    WindowMessage m;
    m.type = WindowMessage::Char;
    m.code = 'z';
    HandleCharMessage(m);
    HandleCharMessage(m);
    ClearChars();
    EXPECT_FALSE(HasChars());
}

}  // namespace

namespace {

TEST(KeyboardCodes, PhysicalKeysMapToDirectInputScanCodes) {
    struct Case {
        int sdl;  // SDL scancode (USB usage)
        uint8_t code;
    } cases[] = {
        {4, 0x1E},   // A
        {40, 0x1C},  // Return
        {42, 0x0E},  // Backspace
        {224, 29},   // left Control
        {228, 157},  // right Control
        {82, 0xC8},  // Up arrow
        {81, 0xD0},  // Down arrow
        {80, 0xCB},  // Left arrow
        {79, 0xCD},  // Right arrow
        {92, 0x4B},  // keypad 4
        {93, 0x4C},  // keypad 5
        {94, 0x4D},  // keypad 6
        {96, 0x48},  // keypad 8
        {88, 0x9C},  // keypad Enter
        {74, 0xC7},  // Home
        {76, 0xD3},  // Delete
        {0, 0},      // unknown
        {-1, 0},     // out of range
        {100000, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::DirectInputCodeOf(c.sdl), c.code) << c.sdl;
}

}  // namespace
