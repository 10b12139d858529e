// Stack capture through glibc's backtrace (frame 0 is always the caller of backtrace, which makes the
// skipping exact); address lookup through libdw over the modules of this process. libdw is not thread-safe,
// so every lookup is serialised, and each address is resolved once.
#include "platform/StackWalk.h"

#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <execinfo.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {
struct SymbolState {
    std::mutex lock;  // guards everything below
    Dwfl_Callbacks callbacks{};
    Dwfl* dwfl = nullptr;
    bool started = false;
    std::unordered_map<std::uintptr_t, ResolvedFrame> cache;
};

SymbolState& State() {
    // Never destroyed: walks may still run during static teardown (the leak report).
    static SymbolState* state = new SymbolState;
    return *state;
}

char* gDebugInfoPath = nullptr;

// Reports the modules now in the process; called again when an address lies in none of them
// (a library loaded after start-up).
bool ReportModules(SymbolState& s) {
    dwfl_report_begin(s.dwfl);
    const int result = dwfl_linux_proc_report(s.dwfl, getpid());
    dwfl_report_end(s.dwfl, nullptr, nullptr);
    return result == 0;
}

std::string Demangle(const char* name) {
    int status = 0;
    char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (status != 0 || plain == nullptr) {
        return name;
    }
    std::string result = plain;
    std::free(plain);
    return result;
}

std::string BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}
}  // namespace

bool StartSymbolLookup() {
    SymbolState& s = State();
    std::lock_guard guard(s.lock);
    if (s.started) {
        return s.dwfl != nullptr;
    }
    s.started = true;
    s.callbacks.find_elf = dwfl_linux_proc_find_elf;
    s.callbacks.find_debuginfo = dwfl_standard_find_debuginfo;
    s.callbacks.debuginfo_path = &gDebugInfoPath;
    s.dwfl = dwfl_begin(&s.callbacks);
    if (s.dwfl != nullptr && !ReportModules(s)) {
        dwfl_end(s.dwfl);
        s.dwfl = nullptr;
    }
    return s.dwfl != nullptr;
}

__attribute__((noinline)) std::vector<std::uintptr_t> CaptureStack(int skip, int maxFrames) {
    if (skip < 0) skip = 0;
    if (maxFrames <= 0) return {};
    // The walk may begin inside backtrace's own helpers (a sanitizer's interceptor, say): start at the
    // frame that returns into our caller, found by its return address.
    void* const returnIntoCaller = __builtin_return_address(0);
    constexpr int kHelperFrames = 8;
    std::vector<void*> frames(static_cast<size_t>(kHelperFrames + skip + maxFrames));
    const int count = backtrace(frames.data(), static_cast<int>(frames.size()));
    int first = 0;
    while (first < count && frames[static_cast<size_t>(first)] != returnIntoCaller) {
        ++first;
    }
    if (first == count) {
        first = 1;  // not found: assume frame 0 is this function
    }
    std::vector<std::uintptr_t> addresses;
    for (int i = first + skip; i < count && static_cast<int>(addresses.size()) < maxFrames; ++i) {
        const auto address = reinterpret_cast<std::uintptr_t>(frames[static_cast<size_t>(i)]);
        if (address == 0) {
            break;
        }
        // A return address points after the call; one byte back lies inside the call instruction.
        addresses.push_back(address - 1);
    }
    return addresses;
}

ResolvedFrame ResolveAddress(std::uintptr_t address) {
    SymbolState& s = State();
    std::lock_guard guard(s.lock);
    if (auto found = s.cache.find(address); found != s.cache.end()) {
        return found->second;
    }
    ResolvedFrame frame;
    if (s.dwfl != nullptr) {
        Dwfl_Module* module = dwfl_addrmodule(s.dwfl, address);
        if (module == nullptr && ReportModules(s)) {
            module = dwfl_addrmodule(s.dwfl, address);
        }
        if (module != nullptr) {
            if (const char* name =
                    dwfl_module_info(module, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) {
                frame.hasModule = true;
                frame.module = BaseName(name);
            }
            if (const char* symbol = dwfl_module_addrname(module, address)) {
                frame.hasSymbol = true;
                frame.symbol = Demangle(symbol);
            }
            if (Dwfl_Line* line = dwfl_module_getsrc(module, address)) {
                int lineNumber = 0;
                if (const char* file = dwfl_lineinfo(line, nullptr, &lineNumber, nullptr, nullptr, nullptr)) {
                    frame.hasLine = true;
                    frame.sourceFile = file;
                    frame.line = lineNumber;
                }
            }
        }
    }
    s.cache.emplace(address, frame);
    return frame;
}
