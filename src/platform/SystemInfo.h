// What the operating system and the processor say about themselves.
#pragma once

#include <cstdint>
#include <string>

struct OsDescription {
    bool valid = false;
    std::string distribution;  // PRETTY_NAME of /etc/os-release, e.g. "Debian GNU/Linux 12 (bookworm)"
    std::string kernel;        // uname release, e.g. "6.1.0-18-amd64"
    int kernelMajor = 0;
    int kernelMinor = 0;
};

OsDescription ReadOsDescription();

struct CpuIdentity {
    bool hasCpuid = false;
    char vendor[13] = {};  // twelve characters of leaf 0 (EBX, EDX, ECX), NUL-terminated
    bool hasMmx = false;
    bool hasSse = false;
    bool hasSse2 = false;
};

CpuIdentity ReadCpuIdentity();

// The machine's memory in bytes.
uint64_t SystemMemoryBytes();
