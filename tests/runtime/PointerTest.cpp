// The pointer state the window's messages feed: moves, clicks, and what reading and clearing do.
#include <gtest/gtest.h>

#include "runtime/Pointer.h"
#include "runtime/ProcessState.h"

TEST(Pointer, MovesAndClicks) {
    using platform::WindowMessage;
    ResetProcessState();
    EXPECT_TRUE(HandlePointerMessage({WindowMessage::MouseMove, 0, false, 120, 340}));
    EXPECT_TRUE(HandlePointerMessage({WindowMessage::LeftButtonDown, 0, false, 500, 500}));
    EXPECT_FALSE(HandlePointerMessage({WindowMessage::Char, 'a', false, 0, 0}));
    int x = 0, y = 0;
    EXPECT_TRUE(GetMouseClick(&x, &y) && GetMouseClick(&x, &y));  // reading does not clear
    EXPECT_EQ(std::pair(x, y), std::pair(120, 340));              // a click does not move the pointer
    ClearMouseClick();
    EXPECT_FALSE(GetMouseClick(&x, &y));
    ResetProcessState();
}
