// Typed text from the window system (UTF-8 from the input method) turned into the client's single bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated by std::string
    std::string bytes = platform::TypedTextToBytes(text.c_str());
    if (bytes.size() > text.size()) __builtin_trap();  // never more bytes than were typed
    for (char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
    return 0;
}
