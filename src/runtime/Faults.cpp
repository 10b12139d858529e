// The armed faults: one flag each, cleared by the process-state reset.
#include "runtime/Faults.h"

#include <atomic>

#include "runtime/ProcessState.h"

namespace {

constexpr int kFaultCount = 2;
std::atomic<bool> armed[kFaultCount];

void DisarmAll() {
    for (auto& flag : armed) flag = false;
}

const bool kRegistered = RegisterProcessState("faults", DisarmAll, kRuntimeState);

}  // namespace

void ArmFault(Fault fault) {
    armed[int(fault)] = true;
}

bool TakeFault(Fault fault) {
    return armed[int(fault)].exchange(false);
}

bool FaultArmed(Fault fault) {
    return armed[int(fault)].load();
}
