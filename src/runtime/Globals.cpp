// The process-wide objects whose construction order matters, all in one place: the memory tracker
// first (so that its leak report runs after every other global is gone), then the logs, the symbol
// engine, the network lock and the network log.
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/NetworkLock.h"
#include "runtime/SymbolEngine.h"

MemoryTracker memoryTracker __attribute__((init_priority(101)));
LogFile errorLog __attribute__((init_priority(102)))("_error.txt", true);
LogFile statLog __attribute__((init_priority(103)))("_stat.txt", true);
SymbolEngine symbolEngine __attribute__((init_priority(104)));
std::recursive_mutex networkLock __attribute__((init_priority(105)));
LogFile netLog __attribute__((init_priority(106)))("_netlog.txt", true);
