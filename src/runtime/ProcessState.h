// Process-wide services register how to return to their starting state, so a test gets a fresh process
// with one call instead of one differently named reset per service.
#pragma once

#include <initializer_list>
#include <string_view>

// The layer of a registered service. Services of higher layers are reset first, as they may hold
// resources of the lower ones (a scene holds textures; the protocol holds a connection).
enum ProcessStateLayer : int {
    kRuntimeState = 0,
    kDataState = 1,
    kGfxState = 2,
    kNetState = 2,
    kAppState = 3,
    kWorldState = 3,
    kClientState = 4,
};

// Registers a service's reset under its name; called once per service at static initialisation:
//   const bool kRegistered = RegisterProcessState("protocol", [] { TheState() = ProtocolState{}; });
// Returns true so that the registration can initialise a constant.
bool RegisterProcessState(const char* name, void (*reset)(), int layer = kClientState);

// Returns every registered service to its starting state: the highest layer first, and within a layer in
// the reverse order of registration. The order of static initialisation across the objects of static
// libraries follows the link line, so the layer, not the registration order, decides between layers.
void ResetProcessState();

// Returns only the named services to their starting state, in the same order; the others keep theirs (a
// fuzz target keeps its graphics device and resets the world and the protocol for each input).
void ResetProcessState(std::initializer_list<std::string_view> names);
