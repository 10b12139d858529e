// The window's events as the window procedure sees them: typed text as single bytes, Backspace and Enter as
// characters, the editing keys extended and their keypad twins not, pointer moves and left clicks.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "platform/Window.h"

namespace {

using platform::WindowMessage;

class WindowEvents : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::WindowSettings settings{"WindowEvents", "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok)
            window = nullptr;
    }
    static void TearDownTestSuite() {
        platform::DestroyAppWindow(window);
        window = nullptr;
    }
    void SetUp() override {
        if (!window) GTEST_SKIP() << "no display";
        WindowMessage m;
        while (platform::PollWindowMessage(&m)) {
        }
    }
    static void PushKey(SDL_Scancode scancode) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.scancode = scancode;
        SDL_PushEvent(&e);
    }
    static void PushText(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
        SDL_PushEvent(&e);
    }
    static std::vector<WindowMessage> Drain() {
        std::vector<WindowMessage> out;
        WindowMessage m;
        while (platform::PollWindowMessage(&m))
            if (m.type != WindowMessage::Other) out.push_back(m);
        return out;
    }
    static void* window;
};
void* WindowEvents::window = nullptr;

TEST_F(WindowEvents, TextBecomesSingleByteCharacters) {
    PushText("a\xC3\xA9\xE2\x82\xAC!");  // a, e-acute, the euro sign (no single byte), !
    std::vector<WindowMessage> got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].code, uint32_t('a'));
    EXPECT_EQ(got[1].code, 0xE9u);
    EXPECT_EQ(got[2].code, uint32_t('!'));
    for (const WindowMessage& m : got) EXPECT_EQ(m.type, WindowMessage::Char);
}

TEST_F(WindowEvents, KeysBecomeCharactersOrExtendedKeyDowns) {
    struct Case {
        SDL_Scancode key;
        WindowMessage::Type type;
        uint32_t code;
        bool extended;
    } cases[] = {
        {SDL_SCANCODE_BACKSPACE, WindowMessage::Char, 8, false},
        {SDL_SCANCODE_RETURN, WindowMessage::Char, 13, false},
        {SDL_SCANCODE_KP_ENTER, WindowMessage::Char, 13, false},
        {SDL_SCANCODE_UP, WindowMessage::KeyDown, platform::kVkUp, true},
        {SDL_SCANCODE_PAGEDOWN, WindowMessage::KeyDown, platform::kVkPageDown, true},
        {SDL_SCANCODE_INSERT, WindowMessage::KeyDown, platform::kVkInsert, true},
        {SDL_SCANCODE_KP_8, WindowMessage::KeyDown, platform::kVkUp, false},
        {SDL_SCANCODE_KP_PERIOD, WindowMessage::KeyDown, platform::kVkDelete, false},
    };
    for (const Case& c : cases) {
        PushKey(c.key);
        std::vector<WindowMessage> got = Drain();
        ASSERT_EQ(got.size(), 1u) << c.key;
        EXPECT_EQ(got[0].type, c.type) << c.key;
        EXPECT_EQ(got[0].code, c.code) << c.key;
        EXPECT_EQ(got[0].extended, c.extended) << c.key;
    }
}

TEST_F(WindowEvents, PointerAndCloseAndQuit) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 123;
    e.motion.y = 456;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&e);
    e.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    platform::PostQuit(0);
    std::vector<WindowMessage> got = Drain();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].type, WindowMessage::MouseMove);
    EXPECT_EQ(got[0].x, 123);
    EXPECT_EQ(got[0].y, 456);
    EXPECT_EQ(got[1].type, WindowMessage::LeftButtonDown);
    EXPECT_EQ(got[2].type, WindowMessage::Destroy);
    EXPECT_EQ(got[3].type, WindowMessage::Quit);
    EXPECT_EQ(got[3].code, 0u);
}

}  // namespace

namespace {

TEST(TypedText, Utf8BecomesSingleBytes) {
    struct Case {
        const char* utf8;
        std::string bytes;
    } cases[] = {
        {"abc", "abc"},
        {"caf\xC3\xA9", "caf\xE9"},
        {"\xE2\x82\xAC", ""},              // the euro sign has no single byte
        {"\xF0\x9F\x98\x80x", "x"},        // nor has an emoji
        {"a\x7F\x01\tb", "ab"},            // control characters are not typed text
        {"\xC3", ""},                      // cut short at the end
        {"\xC3(", "("},                    // cut short before another character
        {"\xA9z", "z"},                    // a stray continuation byte
        {"\xFF\xFEq", "q"},                // invalid lead bytes
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},  // the ends of Latin-1
    };
    for (const Case& c : cases) EXPECT_EQ(platform::TypedTextToBytes(c.utf8), c.bytes) << c.utf8;
    EXPECT_EQ(platform::TypedTextToBytes(nullptr), "");
}

}  // namespace
