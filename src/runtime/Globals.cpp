// The process-wide objects whose construction order matters, all in one place: the memory tracker
// first (so that its leak report runs after every other global is gone), then the logs, the symbol
// engine, the network lock and the network log.
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/NetworkLock.h"
#include "runtime/SymbolEngine.h"

namespace {
// Holds a log that is constructed in place and never destroyed: a union does not run its member's
// destructor.
union ImmortalLog {
    LogFile log;
    ImmortalLog(const char* fileName, std::uint64_t byteLimit) : log(fileName, true, byteLimit) {}
    ~ImmortalLog() {}
};

ImmortalLog errorLogStorage __attribute__((init_priority(102))) ("_error.txt", LogFile::kDiagnosticLimit);
ImmortalLog statLogStorage __attribute__((init_priority(103))) ("_stat.txt", LogFile::kNoLimit);
ImmortalLog netLogStorage __attribute__((init_priority(106))) ("_netlog.txt", LogFile::kDiagnosticLimit);
}  // namespace

MemoryTracker memoryTracker __attribute__((init_priority(101)));
constinit LogFile& errorLog = errorLogStorage.log;
constinit LogFile& statLog = statLogStorage.log;
SymbolEngine symbolEngine __attribute__((init_priority(104)));
std::recursive_mutex networkLock __attribute__((init_priority(105)));
constinit LogFile& netLog = netLogStorage.log;
