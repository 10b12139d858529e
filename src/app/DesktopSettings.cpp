// The settings file: a bounded line reader and an atomic writer.
#include "app/DesktopSettings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "runtime/LogFile.h"

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A decimal number within [low, high]; false for anything else (signs, blanks inside, overflow).
bool ParseNumber(std::string_view text, int low, int high, int* out) {
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    *out = value;
    return true;
}

void ReportIgnored(const std::filesystem::path& file, const std::string& why) {
    errorLog.Write("Settings file \"" + file.string() + "\" ignored: " + why + "\n");
}

}  // namespace

std::filesystem::path DesktopSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid by the convention and is ignored.
    if (config && config[0] == '/') return std::filesystem::path(config) / "velmview" / "settings.ini";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::filesystem::path(home) / ".config" / "velmview" / "settings.ini";
    return {};
}

bool ParseDesktopSettings(std::string_view text, DesktopSettings* out, std::string* why) {
    if (text.size() > kMaximumSettingsBytes) {
        *why = "larger than " + std::to_string(kMaximumSettingsBytes) + " bytes";
        return false;
    }
    DesktopSettings read;
    bool inWindow = false;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber);
        for (char c : line) {
            if (static_cast<unsigned char>(c) < 32 && c != '\t') {
                *why = where + " holds a control byte";
                return false;
            }
        }
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                *why = where + " is not a section";
                return false;
            }
            inWindow = Trim(line.substr(1, line.size() - 2)) == "window";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            *why = where + " is not key=value";
            return false;
        }
        const std::string_view key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (!inWindow) continue;
        int number = 0;
        bool ok = true;
        if (key == "width") {
            ok = ParseNumber(value, kMinimumWindowSide, kMaximumWindowSide, &read.width);
        } else if (key == "height") {
            ok = ParseNumber(value, kMinimumWindowSide, kMaximumWindowSide, &read.height);
        } else if (key == "fullscreen") {
            ok = ParseNumber(value, 0, 1, &number);
            read.fullscreen = number == 1;
        }
        if (!ok) {
            *why = where + ": " + std::string(key) + " has an odd value";
            return false;
        }
    }
    *out = read;
    return true;
}

std::string FormatDesktopSettings(const DesktopSettings& settings) {
    return "# The VelmView client's window, as it was left.\n[window]\nwidth=" +
           std::to_string(settings.width) + "\nheight=" + std::to_string(settings.height) +
           "\nfullscreen=" + (settings.fullscreen ? "1" : "0") + "\n";
}

DesktopSettings LoadDesktopSettings(const std::filesystem::path& file) {
    DesktopSettings settings;
    std::error_code ec;
    if (file.empty() || !std::filesystem::exists(file, ec)) return settings;
    if (!std::filesystem::is_regular_file(file, ec)) {
        ReportIgnored(file, "not a regular file");
        return settings;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text(kMaximumSettingsBytes + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    if (in.bad() || (!in && !in.eof()) || !in.is_open()) {
        ReportIgnored(file, "it cannot be read");
        return settings;
    }
    text.resize(std::size_t(in.gcount()));
    std::string why;
    if (!ParseDesktopSettings(text, &settings, &why)) {
        ReportIgnored(file, why);
        return DesktopSettings();
    }
    return settings;
}

void SaveDesktopSettings(const std::filesystem::path& file, const DesktopSettings& settings) {
    if (file.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const std::filesystem::path temporary = file.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatDesktopSettings(settings);
        out.flush();
        if (!out) {
            errorLog.Write("Settings file \"" + file.string() + "\" could not be written.\n");
            std::filesystem::remove(temporary, ec);
            return;
        }
    }
    std::filesystem::rename(temporary, file, ec);
    if (ec) {
        errorLog.Write("Settings file \"" + file.string() + "\" could not be written: " + ec.message() +
                       "\n");
        std::filesystem::remove(temporary, ec);
    }
}
