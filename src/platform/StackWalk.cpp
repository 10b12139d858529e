// Stack capture through backward-cpp's unwinder; address lookup through libdw over the modules of this
// process. libdw is not thread-safe, so every lookup is serialised, and each address is resolved once.
#include "platform/StackWalk.h"

#include <backward.hpp>
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
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

std::vector<std::uintptr_t> CaptureStack(int skip, int maxFrames) {
    backward::StackTrace trace;
    // load_here starts at its own caller, this function; the extra frame is CaptureStack itself.
    trace.load_here(static_cast<size_t>(skip + 1 + maxFrames));
    std::vector<std::uintptr_t> addresses;
    for (size_t i = static_cast<size_t>(skip) + 1; i < trace.size(); ++i) {
        const auto address = reinterpret_cast<std::uintptr_t>(trace[i].addr);
        if (address == 0) {
            break;
        }
        addresses.push_back(address);
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
            if (const char* name = dwfl_module_info(module, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr)) {
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
