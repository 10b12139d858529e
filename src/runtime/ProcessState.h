// Process-wide services register how to return to their starting state, so a test gets a fresh process
// with one call instead of one differently named reset per service.
#pragma once

// Registers a service's reset under its name; called once per service at static initialisation:
//   const bool kRegistered = RegisterProcessState("protocol", [] { TheState() = ProtocolState{}; });
// Returns true so that the registration can initialise a constant.
bool RegisterProcessState(const char* name, void (*reset)());

// Returns every registered service to its starting state, in the reverse order of registration (the
// services of higher layers first, as they may hold resources of the lower ones).
void ResetProcessState();
