// Start-up of symbol lookup.
#include "runtime/SymbolEngine.h"

#include "platform/StackWalk.h"
#include "runtime/Faults.h"
#include "runtime/LogFile.h"

SymbolEngine::SymbolEngine() {
    m_ready = StartSymbolLookup();
    if (!m_ready) {
        errorLog.Write("Failed to initialize symbol information  Stack/symbol trace will be unavailable.\n");
    }
}

bool SymbolEngine::Ready() const {
    return m_ready && !FaultArmed(Fault::SymbolLookup);
}
