// The clipboard through SDL, filtered for the input line.
#include "platform/Clipboard.h"

#include <SDL2/SDL.h>

namespace platform {

std::string PastedText(const char* text, std::size_t limit) {
    std::string out;
    if (!text) return out;
    for (const char* p = text; *p && out.size() < limit; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '\n' || c == '\r') break;
        if (c >= 32 && c <= 126) out += static_cast<char>(c);
    }
    return out;
}

std::string ReadClipboardText(std::size_t limit) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || !SDL_HasClipboardText()) return "";
    char* text = SDL_GetClipboardText();
    std::string out = PastedText(text, limit);
    SDL_free(text);
    return out;
}

}  // namespace platform
