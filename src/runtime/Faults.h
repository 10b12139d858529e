// Platform failures that can be made to happen on purpose, so that the program's handling of them runs
// without a broken machine: a thread the system refuses to create, symbols that cannot be read. An armed
// fault stays armed until the service meets it once (TakeFault) or ResetProcessState disarms every fault.
#pragma once

enum class Fault {
    ThreadCreation,  // the next CThread cannot start its thread
    SymbolLookup,    // call stacks cannot be named while armed
};

void ArmFault(Fault fault);
// True once after ArmFault: the service fails the operation it is about to do.
bool TakeFault(Fault fault);
// Whether the fault is armed, without disarming it.
bool FaultArmed(Fault fault);
