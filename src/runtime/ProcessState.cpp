// The registry behind ResetProcessState.
#include "runtime/ProcessState.h"

#include <vector>

namespace {

struct Entry {
    const char* name;
    void (*reset)();
};

// A function-local list, so registrations from any translation unit's static initialisation find it built.
std::vector<Entry>& Registry() {
    static std::vector<Entry> entries;
    return entries;
}

}  // namespace

bool RegisterProcessState(const char* name, void (*reset)()) {
    Registry().push_back({name, reset});
    return true;
}

void ResetProcessState() {
    const std::vector<Entry>& entries = Registry();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) it->reset();
}
