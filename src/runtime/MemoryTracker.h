// Registers long-lived heap objects, refuses bad deletes, and lists what was never released at exit.
#pragma once

#include <mutex>
#include <string>

#ifndef VELM_FILE_STEM
#define VELM_FILE_STEM "unknown"
#endif
// The site of a tracked allocation or delete: ".\FileStem", line.
#define VELM_SITE ".\\" VELM_FILE_STEM, __LINE__

class MemoryTracker {
public:
    static constexpr int kObject = 1;
    static constexpr int kArray = 2;

    MemoryTracker();
    // The exit report: leaks and refused deletes to errorLog, with message boxes.
    virtual ~MemoryTracker();

    // helperFrames: frames between the allocation site and Register (such as track) left out of the stack.
    void Register(int kind, const void* pointer, int size, const char* label, const char* file, int line,
                  int helperFrames = 0);
    // Removes the record and answers how to release the block: kObject, kArray, or 0 for "do not".
    int TrackedDelete(int kind, const void* pointer, const char* file, int line);

    int AddHint(int size);
    void RemoveHint(int id);

    // The number of live records.
    int LiveAllocations();
    // Clears the critical-error flag and turns tracking back on. Records are kept: they describe objects
    // that are still alive, whose tracked delete must still find them.
    void ClearErrorState();

private:
    struct AllocationRecord;
    struct HintRecord;

    std::mutex m_lock;  // guards everything below
    bool m_criticalErrors = false;
    AllocationRecord* m_allocations = nullptr;  // newest first
    bool m_enabled = true;
    int m_nextHintId = 1;
    HintRecord* m_hints = nullptr;  // newest first
};

extern MemoryTracker memoryTracker;

// Registers an object right where it is created: track(new CText(...), "CText()", VELM_SITE).
// Kept out of line so that the stack of the record starts exactly at the site.
template <class T>
__attribute__((noinline)) T* track(T* pointer, const char* label, const char* file, int line) {
    memoryTracker.Register(MemoryTracker::kObject, pointer, static_cast<int>(sizeof(T)), label, file, line,
                           1);
    return pointer;
}

// Releases a tracked object in the form the tracker answers: trackedDelete(text, VELM_SITE).
template <class T>
void trackedDelete(T* pointer, const char* file, int line) {
    switch (memoryTracker.TrackedDelete(MemoryTracker::kObject, pointer, file, line)) {
    case MemoryTracker::kObject: delete pointer; break;
    case MemoryTracker::kArray: delete[] pointer; break;
    default: break;
    }
}
