// The tracker's refusals and answers; the exit report itself is checked in TrackerDemoTest.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {
class MemoryTrackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        ClearLog(errorLog);
    }
    void TearDown() override { ResetProcessState(); }
};
}  // namespace

TEST_F(MemoryTrackerTest, RefusedDeletesAreReportedAndAnsweredSafely) {
    int block[4] = {};
    EXPECT_EQ(memoryTracker.TrackedDelete(MemoryTracker::kObject, nullptr, ".\\Site", 5), 0);
    EXPECT_EQ(memoryTracker.TrackedDelete(MemoryTracker::kObject, block, ".\\Site", 6), 0);
    memoryTracker.Register(MemoryTracker::kArray, block, 16, "int[4]", ".\\Maker", 20);
    EXPECT_EQ(memoryTracker.TrackedDelete(MemoryTracker::kObject, block, ".\\Breaker", 30),
              MemoryTracker::kArray);
    EXPECT_EQ(LogText(errorLog),
              "Error: delete being used on a null pointer.\n  -delete call made in .\\Site line 5.\n"
              "Error: delete used on memory that doesn't exist.\n  -delete call made in .\\Site line 6.\n"
              "Error: Wrong delete operator used when freeing memory.\n"
              "  -Delete (non-array) used on memory allocated with new array.\n"
              "  -delete call made in .\\Breaker line 30.\n"
              "  -call made on memory that was allocated in .\\Maker line 20.\n");
}

TEST_F(MemoryTrackerTest, ThreadsRegisterAndDeleteConcurrently) {
    const int before = memoryTracker.LiveAllocations();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) trackedDelete(track(new int(i), "int", VELM_SITE), VELM_SITE);
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(memoryTracker.LiveAllocations(), before);
    EXPECT_EQ(LogText(errorLog), "");
}
