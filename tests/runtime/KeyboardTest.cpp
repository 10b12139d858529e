// The keyboard state manager: key sets across frames, loss and re-acquisition of the device (the window's
// input focus), the typed-character queue, the start-up failures and the scan-code table.
#include <gtest/gtest.h>

#include "platform/KeyboardDevice.h"
#include "runtime/Keyboard.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
using platform::WindowMessage;

class Keys : public KeyboardSource {
public:
    uint8_t down[256] = {};
    bool focused = true;  // the device is lost while the window is in the background
    bool acquired = false;
    int failStep = 0;  // 1 interface, 2 device, 3 cooperation
    int releases = 0;

    bool CreateInterface() override { return failStep != 1; }
    bool CreateDevice() override { return failStep != 2; }
    bool Cooperate(void*, bool) override { return failStep != 3; }
    bool Acquire() override { return acquired = focused; }
    bool Poll() override { return acquired = acquired && focused; }
    bool GetState(uint8_t keys[256]) override {
        if (acquired) std::copy(down, down + 256, keys);
        return acquired;
    }
    void Release() override { ++releases; }
};

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        KeyboardStateManager::SetSource(&keys);
        ClearLog(errorLog);
        ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false));
    }
    void TearDown() override { ResetProcessState(); }
    // One frame with the keys held now; returns "down,pressed" of key.
    static std::string Frame(uint8_t key) {
        KeyboardStateManager::Update();
        return std::string(IsKeyDown(key) ? "down" : "up") + (WasKeyPressed(key) ? ",pressed" : "");
    }
    Keys keys;
};

TEST_F(Keyboard, KeyIsPressedInItsFirstFrameOnlyAndHeldKeysAreNotPressedAfterALoss) {
    keys.down[kScanKeypad4] = 0x80;
    EXPECT_EQ(Frame(kScanKeypad4), "down,pressed");
    keys.focused = false;
    EXPECT_EQ(Frame(kScanKeypad4), "down");  // lost: the keys stay, nothing is new
    keys.down[kScanKeypad6] = 0x80;
    keys.focused = true;
    EXPECT_EQ(Frame(kScanKeypad6), "down");  // re-acquired: keys held meanwhile are not presses
    keys.down[kScanKeypad4] = 0;
    EXPECT_EQ(Frame(kScanKeypad4), "up");
    keys.down[kScanKeypad4] = 0x80;
    EXPECT_EQ(Frame(kScanKeypad4), "down,pressed");
}

TEST_F(Keyboard, StartUpFailuresAreReportedAndWhatWasMadeIsReleased) {
    const char* texts[] = {"Failed to initialize DirectInput (keyboard state manager)\n",
                           "Failed to create DirectInput keyboard device\n",
                           "Keyboard refused to cooperate\n"};
    for (int step = 1; step <= 3; ++step) {
        Keys source;
        source.failStep = step;
        KeyboardStateManager::SetSource(&source);
        ClearLog(errorLog);
        EXPECT_FALSE(KeyboardStateManager::Init(nullptr, &source, false));
        EXPECT_EQ(LogText(errorLog), texts[step - 1]);
        EXPECT_EQ(source.releases, step == 1 ? 0 : 1);
    }
}

TEST_F(Keyboard, TypedCharactersAndEditingKeys) {
    const auto Char = WindowMessage::Char, Key = WindowMessage::KeyDown;
    // The message and what it queues; keypad 8 without Num Lock is not used.
    const std::pair<WindowMessage, std::vector<uint8_t>> cases[] = {{{Char, 'a'}, {'a'}},
                                                                    {{Char, 8}, {0xFF, 8}},
                                                                    {{Char, 13}, {0xFE}},
                                                                    {{Key, platform::kVkUp, false}, {}}};
    for (const auto& [message, queued] : cases) {
        EXPECT_EQ(HandleCharMessage(message), !queued.empty()) << message.code;
        std::vector<uint8_t> got;
        while (HasChars()) got.push_back(PopChar());
        EXPECT_EQ(got, queued) << message.code;
    }
    // The ten extended editing and arrow keys queue 0xFD down to 0xF4.
    uint8_t code = 0xFD;
    for (uint32_t vk :
         {platform::kVkInsert, platform::kVkDelete, platform::kVkHome, platform::kVkEnd, platform::kVkPageUp,
          platform::kVkPageDown, platform::kVkUp, platform::kVkDown, platform::kVkLeft, platform::kVkRight}) {
        EXPECT_TRUE(HandleCharMessage({Key, vk, true})) << vk;
        EXPECT_EQ(PopChar(), code--) << vk;
    }
    EXPECT_EQ(PopChar(), 0);
}

TEST(KeyboardCodes, PhysicalKeysMapToDirectInputScanCodes) {
    const std::pair<int, uint8_t> cases[] = {{4, 0x1E}, {82, 0xC8}, {96, 0x48}, {-1, 0}, {100000, 0}};
    for (const auto& [sdl, code] : cases) EXPECT_EQ(platform::DirectInputCodeOf(sdl), code) << sdl;
}
}  // namespace
