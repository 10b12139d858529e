// The entry point: composes the layers and runs the client.
#include "runtime/LogFile.h"
#include "runtime/SystemReport.h"

#include <cstdio>

int main() {
    ReportSystemInfo();
    std::puts("VelmView: the window and the frame loop are not built yet; _stat.txt has the system report.");
    return 0;
}
