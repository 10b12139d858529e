// The window's events as the window procedure sees them: typed text as single bytes, Backspace and Enter as
// characters, the editing keys extended and their keypad twins not, pointer moves, left clicks and closing.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <tuple>

#include "platform/Window.h"

namespace {

using platform::WindowMessage;

// The messages made from one pushed SDL event (other messages dropped).
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

TEST(WindowEvents, SdlEventsBecomeWindowMessages) {
    void* window = nullptr;
    platform::WindowSettings settings{"WindowEvents", "VelmViewWindow", 800, 600};
    if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok)
        GTEST_SKIP() << "no display";
    MessagesOf(SDL_Event{});  // what the window's creation queued
    struct Case {
        SDL_Scancode key;
        WindowMessage::Type type;
        uint32_t code;
        bool extended;
    } keys[] = {
        {SDL_SCANCODE_BACKSPACE, WindowMessage::Char, 8, false},
        {SDL_SCANCODE_RETURN, WindowMessage::Char, 13, false},
        {SDL_SCANCODE_UP, WindowMessage::KeyDown, platform::kVkUp, true},
        {SDL_SCANCODE_KP_8, WindowMessage::KeyDown, platform::kVkUp, false},
    };
    for (const Case& c : keys) {
        SDL_Event e = Event(SDL_KEYDOWN);
        e.key.keysym.scancode = c.key;
        std::vector<WindowMessage> got = MessagesOf(e);
        ASSERT_EQ(got.size(), 1u) << c.key;
        EXPECT_EQ(std::tuple(got[0].type, got[0].code, got[0].extended),
                  std::tuple(c.type, c.code, c.extended))
            << c.key;
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
    std::vector<WindowMessage> got = MessagesOf(SDL_Event{});
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(std::tuple(got[0].type, got[0].x, got[0].y), std::tuple(WindowMessage::MouseMove, 123, 456));
    EXPECT_EQ(std::vector({got[1].type, got[2].type, got[3].type}),
              std::vector({WindowMessage::LeftButtonDown, WindowMessage::Destroy, WindowMessage::Quit}));
    platform::DestroyAppWindow(window);
}

TEST(TypedText, Utf8BecomesSingleBytes) {
    struct Case {
        const char* utf8;
        std::string bytes;
    } cases[] = {
        {"caf\xC3\xA9", "caf\xE9"},
        {"\xE2\x82\xAC", ""},    // the euro sign has no single byte
        {"a\x7F\x01\tb", "ab"},  // control characters are not typed text
        {"\xC3", ""},            // cut short at the end
    };
    for (const Case& c : cases) EXPECT_EQ(platform::TypedTextToBytes(c.utf8), c.bytes) << c.utf8;
    EXPECT_EQ(platform::TypedTextToBytes(nullptr), "");
}

}  // namespace
