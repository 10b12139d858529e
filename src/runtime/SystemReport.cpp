// Operating-system code table and the machine's description in _stat.txt.
#include "runtime/SystemReport.h"

#include <cstring>

#include "platform/SystemInfo.h"
#include "runtime/LogFile.h"

int GetOsVersionCode(const OsVersionRecord& r) {
    if (!r.valid) return 0;
    if (r.major < 4) return 1;
    if (r.major == 4) {
        if (r.minor == 0) return r.windows9xFamily ? 3 : 2;
        if (r.minor >= 10 && r.minor <= 89) return 4;
        if (r.minor == 90) return 5;
        return 0;
    }
    if (r.major == 5) {
        if (r.minor == 0) return 6;
        if (r.minor == 1) return 7;
        if (r.minor == 2) return 8;
    }
    return 9;
}

const char* OsVersionText(int code) {
    static const char* const texts[] = {
        "Unable to determine...\n",
        "Something really old...\n",
        "Windows NT3\n",
        "Windows 95\n",
        "Windows 98\n",
        "Windows ME\n",
        "Windows 2000\n",
        "Windows XP\n",
        "Windows 2003\n",
        "Something really new...\n",
    };
    return code >= 0 && code <= 9 ? texts[code] : texts[0];
}

bool GetCpuInfo(CpuInfo& info) {
    info = CpuInfo{};
    const CpuIdentity cpu = ReadCpuIdentity();
    if (!cpu.hasCpuid) {
        return false;
    }
    std::memcpy(info.vendor, cpu.vendor, sizeof info.vendor);
    info.hasMmx = cpu.hasMmx;
    info.hasSse = cpu.hasSse;
    info.hasSse2 = cpu.hasSse2;
    return true;
}

void ReportSystemInfo() {
    const OsDescription os = ReadOsDescription();
    statLog.Write("OS Version: ");
    if (os.valid) {
        statLog.Write(os.distribution + ", Linux " + os.kernel + "\n");
    } else {
        statLog.Write(OsVersionText(0));
    }
    CpuInfo cpu;
    if (GetCpuInfo(cpu)) {
        statLog.Write("CPU code name: ");
        statLog.Write(cpu.vendor);
        statLog.Write("\n");
    }
}
