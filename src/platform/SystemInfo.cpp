// Operating system from uname and /etc/os-release; processor from CPUID where the machine has it.
#include "platform/SystemInfo.h"

#include <SDL2/SDL.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

OsDescription ReadOsDescription() {
    OsDescription os;
    utsname names{};
    if (uname(&names) == 0) {
        os.valid = true;
        os.kernel = names.release;
        std::sscanf(names.release, "%d.%d", &os.kernelMajor, &os.kernelMinor);
    }
    std::ifstream release("/etc/os-release");
    std::string line;
    while (std::getline(release, line)) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            std::string value = line.substr(12);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) {
                value = value.substr(1, value.size() - 2);
            }
            os.distribution = value;
            break;
        }
    }
    if (os.distribution.empty()) {
        os.distribution = os.valid ? names.sysname : "Unknown";
    }
    return os;
}

CpuIdentity ReadCpuIdentity() {
    CpuIdentity cpu;
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    const unsigned int highestLeaf = __get_cpuid_max(0, nullptr);
    if (highestLeaf == 0 && !__get_cpuid(0, &eax, &ebx, &ecx, &edx)) {
        return cpu;
    }
    __cpuid(0, eax, ebx, ecx, edx);
    cpu.hasCpuid = true;
    std::memcpy(cpu.vendor + 0, &ebx, 4);
    std::memcpy(cpu.vendor + 4, &edx, 4);
    std::memcpy(cpu.vendor + 8, &ecx, 4);
    cpu.vendor[12] = '\0';
    if (eax >= 1) {
        __cpuid(1, eax, ebx, ecx, edx);
        cpu.hasMmx = (edx >> 23) & 1;
        cpu.hasSse = cpu.hasMmx && ((edx >> 25) & 1);
        cpu.hasSse2 = cpu.hasSse && ((edx >> 26) & 1);
    }
#endif
    return cpu;
}

uint64_t SystemMemoryBytes() {
    return uint64_t(SDL_GetSystemRAM()) << 20;
}
