// One call resets every service, higher layers before lower ones whatever the registration order; a named
// reset resets only the services named, in the same order.
#include <gtest/gtest.h>

#include <string>

#include "runtime/ProcessState.h"

namespace {

std::string order;

// Registered lowest layer first, as static initialisation of a static library may do.
const bool kRegistered = RegisterProcessState(
                             "test runtime", [] { order += "runtime "; }, kRuntimeState) &&
                         RegisterProcessState("test client", [] { order += "client "; }) &&
                         RegisterProcessState(
                             "test gfx first", [] { order += "gfx1 "; }, kGfxState) &&
                         RegisterProcessState(
                             "test gfx second", [] { order += "gfx2 "; }, kGfxState);

TEST(ProcessState, HigherLayersResetFirstThenNewestRegistrationFirst) {
    ASSERT_TRUE(kRegistered);
    order.clear();
    ResetProcessState();
    EXPECT_EQ(order, "client gfx2 gfx1 runtime ");
}

TEST(ProcessState, ANamedResetLeavesTheOtherServicesAlone) {
    order.clear();
    ResetProcessState({"test runtime", "test gfx first", "no such service"});
    EXPECT_EQ(order, "gfx1 runtime ");
}

}  // namespace
