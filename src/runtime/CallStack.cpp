// Call-stack text: one line per frame with module, function, source file and line.
#include "runtime/CallStack.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/StackWalk.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"
#include "runtime/SymbolEngine.h"

namespace {
constexpr int kMaxFrames = 64;
constexpr std::uint64_t kReportsWritten = 10;  // of the same report from the same place

// How often each report (its message and stack) was made. Never destroyed: a report may come during
// static teardown.
struct RepeatedReports {
    std::mutex lock;
    std::map<std::string, std::uint64_t> counts;  // guarded by lock
};

RepeatedReports& Repeated() {
    static auto* reports = new RepeatedReports;
    return *reports;
}

[[maybe_unused]] const bool kRegistered = RegisterProcessState(
    "repeated reports",
    [] {
        std::lock_guard<std::mutex> hold(Repeated().lock);
        Repeated().counts.clear();
    },
    kRuntimeState);

// At exit, the counts of the reports that were written only kReportsWritten times go to _stat.txt.
struct RepeatedReportsSummary {
    ~RepeatedReportsSummary() { WriteRepeatedReportCounts(); }
} summaryAtExit;

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
    // Skipping this function leaves the detecting function as the first line, which is then stripped.
    const std::string stack = StripFirstLine(GetCallStackSkipping(1));
    std::uint64_t count = 0;
    {
        std::lock_guard<std::mutex> hold(Repeated().lock);
        count = ++Repeated().counts[message + '\0' + stack];
    }
    if (count > kReportsWritten + 1) return;
    if (count == kReportsWritten + 1) {
        // A fault met every frame would otherwise grow the log without bound.
        errorLog.Write("  (This report came " + std::to_string(kReportsWritten) +
                       " times from the same place; further ones are only counted, in _stat.txt.)\n\n");
        return;
    }
    errorLog.Write(message);
    errorLog.Write(introducingLine);
    errorLog.Write(stack);
    errorLog.Write("\n");
}

void WriteRepeatedReportCounts() {
    std::lock_guard<std::mutex> hold(Repeated().lock);
    bool first = true;
    for (const auto& [key, count] : Repeated().counts) {
        if (count <= kReportsWritten) continue;
        if (first)
            statLog.Write("Repeated error reports (written " + std::to_string(kReportsWritten) +
                          " times each, the rest counted):\n");
        first = false;
        std::string message = key.substr(0, key.find('\0'));
        while (!message.empty() && message.back() == '\n') message.pop_back();
        statLog.Write("  -" + std::to_string(count) + " times: " + message + "\n");
    }
    if (!first) statLog.Write("\n");
}
