// SDL events as the window procedure sees them.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <tuple>

#include "platform/Window.h"

namespace {

using platform::WindowMessage;

// The messages made from one pushed SDL event and whatever was queued before (other messages dropped).
std::vector<WindowMessage> MessagesOf(const SDL_Event& event) {
    SDL_Event copy = event;
    SDL_PushEvent(&copy);
    std::vector<WindowMessage> out;
    WindowMessage m;
    while (platform::PollWindowMessage(&m))
        if (m.type != WindowMessage::Other) out.push_back(m);
    return out;
}

SDL_Event Event(uint32_t type) {
    SDL_Event e{};
    e.type = type;
    return e;
}

// A key-down followed by the text it types, as SDL sends them.
std::vector<WindowMessage> KeyWithText(SDL_Scancode key, SDL_Keycode sym, uint16_t mod, const char* text) {
    SDL_Event down = Event(SDL_KEYDOWN), typed = Event(SDL_TEXTINPUT);
    down.key.keysym.scancode = key;
    down.key.keysym.sym = sym;
    down.key.keysym.mod = mod;
    SDL_PushEvent(&down);
    if (text) {
        SDL_strlcpy(typed.text.text, text, sizeof typed.text.text);
        SDL_PushEvent(&typed);
    }
    return MessagesOf(SDL_Event{});
}

class WindowEvents : public ::testing::Test {
protected:
    bool Open(int width, int height) {
        platform::WindowSettings settings{"WindowEvents", "VelmViewWindow", width, height};
        if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok) return false;
        MessagesOf(SDL_Event{});  // what the window's creation queued
        return true;
    }
    void TearDown() override {
        if (window) platform::DestroyAppWindow(window);
    }
    void* window = nullptr;
};

TEST_F(WindowEvents, KeysPointerAndClosingBecomeWindowMessages) {
    if (!Open(800, 600)) GTEST_SKIP() << "no display";
    // Backspace and Enter as characters, the editing keys extended and their keypad twins not.
    using Key = std::tuple<WindowMessage::Type, uint32_t, bool>;
    for (auto [key, expected] :
         {std::pair{SDL_SCANCODE_BACKSPACE, Key{WindowMessage::Char, 8, false}},
          std::pair{SDL_SCANCODE_RETURN, Key{WindowMessage::Char, 13, false}},
          std::pair{SDL_SCANCODE_UP, Key{WindowMessage::KeyDown, platform::kVkUp, true}},
          std::pair{SDL_SCANCODE_KP_8, Key{WindowMessage::KeyDown, platform::kVkUp, false}}}) {
        std::vector<WindowMessage> got = KeyWithText(key, SDLK_UNKNOWN, KMOD_NONE, nullptr);
        ASSERT_EQ(got.size(), 1u) << key;
        EXPECT_EQ(Key(got[0].type, got[0].code, got[0].extended), expected) << key;
    }

    // Keypad 4, 5 and 6 turn the camera and type nothing; keypad 7 types its digit.
    for (auto [key, digit] : {std::pair{SDL_SCANCODE_KP_4, "4"}, std::pair{SDL_SCANCODE_KP_5, "5"},
                              std::pair{SDL_SCANCODE_KP_6, "6"}})
        for (const WindowMessage& m : KeyWithText(key, SDLK_UNKNOWN, KMOD_NUM, digit))
            EXPECT_NE(m.type, WindowMessage::Char) << digit;
    std::vector<WindowMessage> got = KeyWithText(SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, "7");
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(std::pair(got.back().type, got.back().code), std::pair(WindowMessage::Char, uint32_t('7')));

    // F11 and Alt+Enter switch full screen and back, and neither types anything.
    for (auto [key, sym, mod] : {std::tuple{SDL_SCANCODE_F11, SDLK_F11, KMOD_NONE},
                                 std::tuple{SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT}}) {
        const bool before = platform::GetAppWindowPlacement().fullscreen;
        EXPECT_TRUE(KeyWithText(key, sym, uint16_t(mod), nullptr).empty());
        EXPECT_NE(platform::GetAppWindowPlacement().fullscreen, before);
    }
    EXPECT_FALSE(platform::GetAppWindowPlacement().fullscreen);

    // Ctrl+V: the clipboard's first line as one paste.
    ASSERT_EQ(SDL_SetClipboardText("say this\nnot this"), 0);
    got = KeyWithText(SDL_SCANCODE_V, SDLK_v, KMOD_LCTRL, nullptr);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(std::pair(got[0].type, got[0].text), std::pair(WindowMessage::Paste, std::string("say this")));

    // The wheel: notches away from the player are positive, a flipped wheel's are turned round.
    SDL_Event wheel = Event(SDL_MOUSEWHEEL), flipped = wheel;
    wheel.wheel.y = 2;
    flipped.wheel.y = 1;
    flipped.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    for (auto [e, notches] : {std::pair{&wheel, 2}, std::pair{&flipped, -1}}) {
        got = MessagesOf(*e);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(std::pair(got[0].type, got[0].wheel), std::pair(WindowMessage::MouseWheel, notches));
    }

    // Closing: one Destroy, then the quit message that PostQuit queues; right clicks are not used.
    SDL_Event move = Event(SDL_MOUSEMOTION), left = Event(SDL_MOUSEBUTTONDOWN), right = left,
              quit = Event(SDL_QUIT);
    move.motion.x = 123;
    move.motion.y = 456;
    left.button.button = SDL_BUTTON_LEFT;
    right.button.button = SDL_BUTTON_RIGHT;
    for (SDL_Event* e : {&move, &left, &right, &quit, &quit}) SDL_PushEvent(e);
    platform::PostQuit(0);
    got = MessagesOf(SDL_Event{});
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(std::tuple(got[0].type, got[0].x, got[0].y), std::tuple(WindowMessage::MouseMove, 123, 456));
    EXPECT_EQ(std::vector({got[1].type, got[2].type, got[3].type}),
              std::vector({WindowMessage::LeftButtonDown, WindowMessage::Destroy, WindowMessage::Quit}));
}

TEST_F(WindowEvents, PointerPositionsAreMappedIntoThePictureAndBarsTakeNoClicks) {
    // 1920 x 1080: the picture is 1440 x 1080 from x = 240, bars left and right.
    if (!Open(1920, 1080)) GTEST_SKIP() << "no display";
    int w = 0, h = 0;
    SDL_GetWindowSize(static_cast<SDL_Window*>(window), &w, &h);
    if (w != 1920 || h != 1080) GTEST_SKIP() << "the display made the window " << w << "x" << h;
    SDL_Event move = Event(SDL_MOUSEMOTION), click = Event(SDL_MOUSEBUTTONDOWN), bar = click;
    move.motion.x = 240 + 9;  // picture x = (9.5 / 1.8) = 5
    move.motion.y = 1079;
    click.button.button = bar.button.button = SDL_BUTTON_LEFT;
    click.button.x = 1680 - 1;
    click.button.y = bar.button.y = 540;
    bar.button.x = 100;  // on the left bar
    for (SDL_Event* e : {&move, &click, &bar}) SDL_PushEvent(e);
    std::vector<WindowMessage> got = MessagesOf(SDL_Event{});
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(std::tuple(got[0].type, got[0].x, got[0].y), std::tuple(WindowMessage::MouseMove, 5, 599));
    EXPECT_EQ(std::tuple(got[1].type, got[1].x, got[1].y),
              std::tuple(WindowMessage::LeftButtonDown, 799, 300));
}

TEST(TypedText, Utf8BecomesSingleBytes) {
    const std::pair<const char*, std::string> cases[] = {
        {"caf\xC3\xA9", "caf\xE9"},
        {"\xE2\x82\xAC", ""},    // the euro sign has no single byte
        {"a\x7F\x01\tb", "ab"},  // control characters are not typed text
        {"\xC3", ""},            // cut short at the end
    };
    for (const auto& [utf8, bytes] : cases) EXPECT_EQ(platform::TypedTextToBytes(utf8), bytes) << utf8;
    EXPECT_EQ(platform::TypedTextToBytes(nullptr), "");
}

}  // namespace
