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

namespace {

// Newest registration first, then stably by layer, highest first.
std::vector<Entry> ResetOrder() {
    std::vector<Entry> order(Registry().rbegin(), Registry().rend());
    std::stable_sort(order.begin(), order.end(),
                     [](const Entry& a, const Entry& b) { return a.layer > b.layer; });
    return order;
}

}  // namespace

void ResetProcessState() {
    for (const Entry& entry : ResetOrder()) entry.reset();
}

void ResetProcessState(std::initializer_list<std::string_view> names) {
    for (const Entry& entry : ResetOrder()) {
        if (std::find(names.begin(), names.end(), std::string_view(entry.name)) != names.end()) entry.reset();
    }
}
