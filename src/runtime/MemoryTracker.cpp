// The tracker's lists, its refusals of bad deletes, and the exit report.
#include "runtime/MemoryTracker.h"

#include <cstdlib>
#include <cstring>

#include "platform/MessageBox.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

struct MemoryTracker::AllocationRecord {
    int kind;
    const void* pointer;
    int size;
    std::string label;
    std::string file;
    int line;
    std::string callStack;
    AllocationRecord* next;
};

struct MemoryTracker::HintRecord {
    int id;
    int size;
    std::string callStack;
    HintRecord* previous;
    HintRecord* next;
};

namespace {

const bool kRegistered = RegisterProcessState(
    "memory tracker", [] { memoryTracker.ClearErrorState(); }, kRuntimeState);
void WriteDeleteSite(const char* file, int line) {
    errorLog.Write("  -delete call made in ");
    errorLog.Write(file != nullptr ? file : "");
    errorLog.Write(" line ");
    errorLog.Write(line);
    errorLog.Write(".\n");
}
}  // namespace

MemoryTracker::MemoryTracker() = default;

MemoryTracker::~MemoryTracker() {
    std::lock_guard guard(m_lock);
    m_enabled = false;
    if (m_criticalErrors) {
        ShowMessageBox("Critical Memory Error",
                       "Critical memory management errors occured.\nCheck _error.txt for details.\n");
    }
    if (m_allocations != nullptr) {
        int total = 0;
        int count = 0;
        for (AllocationRecord* r = m_allocations; r != nullptr; r = r->next) {
            total += r->size;
            ++count;
        }
        errorLog.Write("\nTotal memory leaks: ");
        errorLog.Write(total);
        errorLog.Write(" bytes in ");
        errorLog.Write(count);
        errorLog.Write(" allocation(s).\n");
        errorLog.Write("\n -- List of memory leaks --\n");
        while (AllocationRecord* r = m_allocations) {
            errorLog.Write(r->kind == kObject ? "Object " : "Array of ");
            errorLog.Write("\"" + r->label + "\" (");
            errorLog.Write(r->size);
            errorLog.Write(" bytes total):\n");
            errorLog.Write("  -Allocated in " + r->file + " line ");
            errorLog.Write(r->line);
            errorLog.Write(".\n");
            errorLog.Write("  -call stack of allocation:\n");
            errorLog.Write(r->callStack);
            errorLog.Write("\n");
            m_allocations = r->next;
            delete r;
        }
        ShowMessageBox("Memory Leaks", "Memory was allocated and never freed.\n" + std::to_string(total) +
                                           " byte(s) leaked.\n" + std::to_string(count) +
                                           " total unfreed allocations.\nSee _error.txt for details.\n");
    }
    if (m_hints != nullptr) {
        errorLog.Write("Warning: the following memory hints have not been freed:\n");
        for (HintRecord* h = m_hints; h != nullptr; h = h->next) {
            errorLog.Write(h->size);
            errorLog.Write(" bytes allocated at:\n");
            errorLog.Write(h->callStack);
            errorLog.Write("\n");
        }
        errorLog.Write("\n");
        ShowMessageBox("Memory Leaks",
                       "Warning: Memory allocations were hinted at but never hinted to be "
                       "freed.\nSee _error.txt for details\n");
    }
    while (HintRecord* h = m_hints) {
        m_hints = h->next;
        delete h;
    }
}

void MemoryTracker::Register(int kind, const void* pointer, int size, const char* label, const char* file,
                             int line, int helperFrames) {
    {
        std::lock_guard guard(m_lock);
        if (!m_enabled) {
            return;
        }
    }
    // The walk is slow; it is taken before the lock so that other threads are not held up.
    std::string callStack = StripFirstLine(GetCallStackSkipping(helperFrames));
    std::lock_guard guard(m_lock);
    if (!m_enabled) {
        return;
    }
    m_allocations = new AllocationRecord{kind,
                                         pointer,
                                         size,
                                         label != nullptr ? label : "",
                                         file != nullptr ? file : "",
                                         line,
                                         std::move(callStack),
                                         m_allocations};
}

int MemoryTracker::TrackedDelete(int kind, const void* pointer, const char* file, int line) {
    std::lock_guard guard(m_lock);
    if (!m_enabled) {
        return 0;
    }
    if (pointer == nullptr) {
        m_criticalErrors = true;
        errorLog.Write("Error: delete being used on a null pointer.\n");
        WriteDeleteSite(file, line);
        return 0;
    }
    AllocationRecord** link = &m_allocations;
    while (*link != nullptr && (*link)->pointer != pointer) {
        link = &(*link)->next;
    }
    AllocationRecord* record = *link;
    if (record == nullptr) {
        m_criticalErrors = true;
        errorLog.Write("Error: delete used on memory that doesn't exist.\n");
        WriteDeleteSite(file, line);
        return 0;
    }
    int answer = kind;
    if (record->kind != kind) {
        m_criticalErrors = true;
        errorLog.Write("Error: Wrong delete operator used when freeing memory.\n");
        errorLog.Write(record->kind == kObject
                           ? "  -Delete array used on memory allocated with new (non-array).\n"
                           : "  -Delete (non-array) used on memory allocated with new array.\n");
        WriteDeleteSite(file, line);
        errorLog.Write("  -call made on memory that was allocated in " + record->file + " line ");
        errorLog.Write(record->line);
        errorLog.Write(".\n");
        answer = record->kind;
    }
    *link = record->next;
    delete record;
    return answer;
}

int MemoryTracker::AddHint(int size) {
    std::string callStack = StripFirstLine(GetCallStack());
    std::lock_guard guard(m_lock);
    const int id = m_nextHintId++;
    auto* hint = new HintRecord{id, size, std::move(callStack), nullptr, m_hints};
    if (m_hints != nullptr) {
        m_hints->previous = hint;
    }
    m_hints = hint;
    return id;
}

void MemoryTracker::RemoveHint(int id) {
    std::lock_guard guard(m_lock);
    for (HintRecord* h = m_hints; h != nullptr; h = h->next) {
        if (h->id != id) {
            continue;
        }
        (h->previous != nullptr ? h->previous->next : m_hints) = h->next;
        if (h->next != nullptr) {
            h->next->previous = h->previous;
        }
        delete h;
        return;
    }
}

void MemoryTracker::ClearErrorState() {
    std::lock_guard guard(m_lock);
    m_criticalErrors = false;
    m_enabled = true;
}

int MemoryTracker::LiveAllocations() {
    std::lock_guard guard(m_lock);
    int count = 0;
    for (AllocationRecord* r = m_allocations; r != nullptr; r = r->next) {
        ++count;
    }
    return count;
}
