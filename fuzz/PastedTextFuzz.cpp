// Clipboard text of any bytes as a paste takes it: printable bytes only, no line break, within the bound.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated by std::string
    const std::string pasted = platform::PastedText(text.c_str(), platform::kPasteLimit);
    if (pasted.size() > platform::kPasteLimit || pasted.size() > text.size()) __builtin_trap();
    for (char c : pasted)
        if (c < 32 || c > 126) __builtin_trap();
    return 0;
}
