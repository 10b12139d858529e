// The clipboard's text as the input line takes it: printable bytes only, up to the first line break, so a
// paste never sends a line by itself, and bounded so that megabytes cannot freeze a frame.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The most characters a paste brings (the input line's own bound).
constexpr std::size_t kPasteLimit = 1000;

// The bytes 32..126 of text up to its first line feed or carriage return, at most limit of them; other
// bytes (controls, tabs, every byte of a multi-byte character) are dropped. Null gives "".
std::string PastedText(const char* text, std::size_t limit);

// PastedText of the system clipboard's text ("" when it holds none).
std::string ReadClipboardText(std::size_t limit);

}  // namespace platform
