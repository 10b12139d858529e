// The pointer state the window's messages feed: moves, clicks, and what reading and clearing do.
#include <gtest/gtest.h>

#include "runtime/Pointer.h"
#include "runtime/ProcessState.h"

namespace {

platform::WindowMessage Message(platform::WindowMessage::Type type, int32_t x = 0, int32_t y = 0) {
    platform::WindowMessage m;
    m.type = type;
    m.x = x;
    m.y = y;
    return m;
}

TEST(Pointer, MovesAndClicks) {
    using platform::WindowMessage;
    ResetProcessState();
    EXPECT_TRUE(HandlePointerMessage(Message(WindowMessage::MouseMove, 120, 340)));
    EXPECT_TRUE(HandlePointerMessage(Message(WindowMessage::LeftButtonDown, 500, 500)));
    EXPECT_FALSE(HandlePointerMessage(Message(WindowMessage::Char)));
    int x = 0, y = 0;
    EXPECT_TRUE(GetMouseClick(&x, &y) && GetMouseClick(&x, &y));  // reading does not clear
    EXPECT_EQ(std::pair(x, y), std::pair(120, 340));              // a click does not move the pointer
    ClearMouseClick();
    EXPECT_FALSE(GetMouseClick(&x, &y));
    ResetProcessState();
}

}  // namespace
