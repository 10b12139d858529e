// The player's desktop settings, kept between runs outside the game directory: the window's size and
// whether it covers the screen. Stored as a small ini file under $XDG_CONFIG_HOME/velmview/.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

struct DesktopSettings {
    int width = 800;  // window drawing area when not full screen, pixels
    int height = 600;
    bool fullscreen = false;
};

// The bounds a stored or asked-for window size must keep.
constexpr int kMinimumWindowSide = 100;
constexpr int kMaximumWindowSide = 16384;
// A settings file larger than this is not a settings file of ours.
constexpr std::size_t kMaximumSettingsBytes = 64 * 1024;

// $XDG_CONFIG_HOME/velmview/settings.ini, else $HOME/.config/velmview/settings.ini; empty when neither is
// set (then nothing is read or written).
std::filesystem::path DesktopSettingsPath();

// Reads the text of a settings file. False, with why, when it is odd: a line that is not a section, a
// comment or key=value, a known key with a value out of range, or text longer than the bound. Unknown keys
// are skipped (a later version may add some).
bool ParseDesktopSettings(std::string_view text, DesktopSettings* out, std::string* why);
std::string FormatDesktopSettings(const DesktopSettings& settings);

// The stored settings, or the defaults: a missing file silently, an unreadable or odd one with one line in
// _error.txt.
DesktopSettings LoadDesktopSettings(const std::filesystem::path& file);
// Writes the settings (through a temporary file, so a failed write never leaves half a file). A failure
// costs one line in _error.txt.
void SaveDesktopSettings(const std::filesystem::path& file, const DesktopSettings& settings);
