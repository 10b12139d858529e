// The registry behind ResetProcessState.
#include "runtime/ProcessState.h"

#include <algorithm>
#include <vector>

namespace {

struct Entry {
    const char* name;
    void (*reset)();
    int layer;
};

// A function-local list, so registrations from any translation unit's static initialisation find it built.
std::vector<Entry>& Registry() {
    static std::vector<Entry> entries;
    return entries;
}

}  // namespace

bool RegisterProcessState(const char* name, void (*reset)(), int layer) {
    Registry().push_back({name, reset, layer});
    return true;
}

void ResetProcessState() {
    // Newest registration first, then stably by layer, highest first.
    std::vector<Entry> order(Registry().rbegin(), Registry().rend());
    std::stable_sort(order.begin(), order.end(),
                     [](const Entry& a, const Entry& b) { return a.layer > b.layer; });
    for (const Entry& entry : order) entry.reset();
}
