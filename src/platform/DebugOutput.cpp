// Debugger echo: a tracer is attached when /proc/self/status names a TracerPid other than 0.
#include "platform/DebugOutput.h"

#include <cstdio>
#include <cstring>

bool DebuggerAttached() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return false;
    }
    char line[256];
    bool attached = false;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "TracerPid:", 10) == 0) {
            int pid = 0;
            attached = std::sscanf(line + 10, "%d", &pid) == 1 && pid != 0;
            break;
        }
    }
    std::fclose(status);
    return attached;
}

void DebuggerOutput(const char* text) {
    // Asked once: reading /proc on every log write would cost more than the write itself.
    static const bool attached = DebuggerAttached();
    if (attached && text != nullptr) {
        std::fputs(text, stderr);
    }
}
