// The machine's description in _stat.txt: operating system and processor.
#pragma once

#include <string>

// The operating-system version as a record, so that the code table can be applied to any record.
struct OsVersionRecord {
    bool valid = false;  // false when the version could not be read
    int major = 0;
    int minor = 0;
    bool windows9xFamily = false;
};

// 0 unknown, 1 very old, 2 NT3 ... 8 Windows 2003, 9 something newer.
int GetOsVersionCode(const OsVersionRecord& record);
// The text written after "OS Version: " for a code, ending in "\n".
const char* OsVersionText(int code);

struct CpuInfo {
    char vendor[13] = "Unknown";  // processor's vendor identification, NUL-terminated
    bool hasMmx = false;
    bool hasSse = false;   // read only when MMX is present
    bool hasSse2 = false;  // read only when SSE is present
};

// False when the processor has no identification instruction; the record then says "Unknown".
bool GetCpuInfo(CpuInfo& info);

// "OS Version: " + distribution and kernel, then "CPU code name: " + vendor, to statLog.
void ReportSystemInfo();
