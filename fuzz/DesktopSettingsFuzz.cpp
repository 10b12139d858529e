// The player's settings file of any bytes: read as text, and through the file reader with its size bound.
#include <string>
#include <string_view>

#include "FuzzFile.h"
#include "app/DesktopSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DesktopSettings settings;
    std::string why;
    if (ParseDesktopSettings(std::string_view(reinterpret_cast<const char*>(data), size), &settings, &why)) {
        // What is taken always keeps the bounds a window is made with.
        if (settings.width < kMinimumWindowSide || settings.width > kMaximumWindowSide ||
            settings.height < kMinimumWindowSide || settings.height > kMaximumWindowSide)
            __builtin_trap();
    } else if (why.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    WriteFuzzFile("settings.ini", data, size);
    LoadDesktopSettings("settings.ini");
    return 0;
}
