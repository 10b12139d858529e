// Backslash paths to native paths, matching existing components without regard to letter case.
#include "platform/NativePath.h"

#include <strings.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// The entry of folder whose name equals component ignoring case; the component itself when none does.
std::string MatchComponent(const std::string& folder, const std::string& component) {
    if (component.empty() || component == "." || component == "..") {
        return component;
    }
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
    std::error_code error;
    if (fs::exists(base / component, error)) {
        return component;
    }
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (strcasecmp(name.c_str(), component.c_str()) == 0) {
            return name;
        }
    }
    return component;
}
}  // namespace

std::string NativePath(std::string_view path) {
    std::string result;
    std::string component;
    bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    if (absolute) {
        result = "/";
    }
    for (size_t i = absolute ? 1 : 0; i <= path.size(); ++i) {
        const bool end = i == path.size();
        const char c = end ? '/' : path[i];
        if (c == '/' || c == '\\') {
            if (!component.empty()) {
                const std::string folder = result;
                result += MatchComponent(folder, component);
                if (!end) {
                    result += '/';
                }
            } else if (!end && !result.empty() && result.back() != '/') {
                result += '/';
            }
            component.clear();
        } else {
            component += c;
        }
    }
    return result;
}

std::FILE* OpenFile(std::string_view path, const char* mode) {
    if (path.empty() || mode == nullptr) {
        return nullptr;
    }
    return std::fopen(NativePath(path).c_str(), mode);
}

bool MakeFolder(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    std::error_code error;
    const std::string native = NativePath(path);
    fs::create_directory(native, error);
    return fs::is_directory(native, error);
}

std::string DocumentsFolder() {
    if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg != nullptr && *xdg != '\0') {
        return xdg;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home) + "/Documents";
    }
    return {};
}
