// Call-stack text: one line per frame with module, function, source file and line.
#include "runtime/CallStack.h"

#include <cerrno>
#include <cstring>

#include "platform/StackWalk.h"
#include "runtime/LogFile.h"
#include "runtime/SymbolEngine.h"

namespace {
constexpr int kMaxFrames = 64;

// extraSkip frames above the caller of the public function are left out. Kept out of line so that the
// frames it skips are the ones it expects.
__attribute__((noinline)) std::string FormatStack(int extraSkip) {
    if (!symbolEngine.Ready()) {
        return {};
    }
    // The first frame CaptureStack gives is this function's; skip it and the public function above it.
    const std::vector<std::uintptr_t> addresses = CaptureStack(2 + extraSkip, kMaxFrames + 1);
    std::string text;
    int frames = 0;
    for (std::uintptr_t address : addresses) {
        const ResolvedFrame frame = ResolveAddress(address);
        if (frame.hasModule) {
            text += "   ";
            text += frame.module;
        } else {
            text += "  (Error?)";
        }
        if (frame.hasModule && frame.hasLine) {
            text += ": ";
            if (frame.hasSymbol) {
                text += frame.symbol + " - " + frame.sourceFile + " - Line " + std::to_string(frame.line);
            } else {
                errno = ENOENT;  // the lookup found no symbol for the address
                text += "Unknown (" + LastErrorText() + ")";
            }
        } else {
            text += ": (external code)";
        }
        text += "\n";
        if (++frames == kMaxFrames) {
            text += "  (Error while walking stack... over 64 walks... ending prematurely)\n";
            break;
        }
    }
    return text;
}
}  // namespace

__attribute__((noinline)) std::string GetCallStack() {
    std::string text = FormatStack(0);
    return text;
}

__attribute__((noinline)) std::string GetCallStackSkipping(int skipFrames) {
    std::string text = FormatStack(skipFrames > 0 ? skipFrames : 0);
    return text;
}

std::string StripFirstLine(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto code = static_cast<unsigned char>(text[i]);
        if (code >= 1 && code <= 31) {
            return text.substr(i + 1);
        }
    }
    return text;
}

std::string LastErrorText() {
    const int code = errno;
    char buffer[1000];
    // The GNU strerror_r returns the message, which may or may not be in buffer.
    const char* message = strerror_r(code, buffer, sizeof buffer);
    return message != nullptr ? message : std::string();
}

bool SymbolEngineReady() {
    return symbolEngine.Ready();
}

__attribute__((noinline)) void ReportMisuse(const std::string& message, const char* introducingLine) {
    errorLog.Write(message);
    errorLog.Write(introducingLine);
    // Skipping this function leaves the detecting function as the first line, which is then stripped.
    errorLog.Write(StripFirstLine(GetCallStackSkipping(1)));
    errorLog.Write("\n");
}
