// CThread: start order, cooperative end, the stuck-thread warning, and creation failure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/CThread.h"
#include "runtime/Faults.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

using namespace std::chrono_literals;

namespace {
class CThreadTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(errorLog); }
    void TearDown() override { ResetProcessState(); }
};

// True once done() holds, false after five seconds.
template <class Predicate>
bool WaitFor(Predicate done) {
    for (const auto deadline = std::chrono::steady_clock::now() + 5s; !done();
         std::this_thread::sleep_for(1ms))
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

struct Probe {
    std::atomic<bool> sawRunningOwner{false}, release{false};
    std::atomic<int> polls{0};
};

void PollUntilTerminated(CThread* owner, void* parameter) {
    auto* probe = static_cast<Probe*>(parameter);
    probe->sawRunningOwner = owner->Running();
    for (; !owner->terminateRequested; std::this_thread::sleep_for(1ms)) ++probe->polls;
}

void IgnoreTheFlag(CThread*, void* parameter) {
    while (!static_cast<Probe*>(parameter)->release) std::this_thread::sleep_for(1ms);
}
}  // namespace

TEST_F(CThreadTest, ProcedureSeesItsHandleAndEndsOnRequest) {
    Probe probe;
    {
        CThread thread(&PollUntilTerminated, "Poller", &probe);
        ASSERT_TRUE(WaitFor([&] { return probe.polls > 3; }));
    }
    EXPECT_TRUE(probe.sawRunningOwner);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(CThreadTest, StuckThreadIsReportedOnceByName) {
    Probe probe;
    std::thread releaser([&] {  // released a while after the warning, so that a second one could show
        WaitFor([] { return LogText(errorLog).find("Thread still going") != std::string::npos; });
        std::this_thread::sleep_for(100ms);
        probe.release = true;
    });
    { CThread thread(&IgnoreTheFlag, "Stubborn", &probe, CThread::StopPacing{1ms, 20}); }
    releaser.join();
    const std::string log = LogText(errorLog);
    EXPECT_EQ(
        log.rfind("Warning: Thread still going ~15 seconds after termination request.  It may be stuck.\n"
                  "  -Thread name: Stubborn\nCall stack of dtor waiting loop:\n   test_runtime: ",
                  0),
        0u)
        << log;
    EXPECT_EQ(log.find("Thread still going", 10), std::string::npos);
}

TEST_F(CThreadTest, CreationFailureIsReportedAndDestructionReturns) {
    Probe probe;
    ArmFault(Fault::ThreadCreation);
    {
        CThread thread(&PollUntilTerminated, "Never", &probe);
        EXPECT_FALSE(thread.Running());
        EXPECT_EQ(thread.Suspend(), -1);
    }
    EXPECT_FALSE(probe.sawRunningOwner);  // the procedure never ran
    EXPECT_EQ(LogText(errorLog).rfind("CreateThread failed...?!?!\nCall stack:\n   test_runtime: ", 0), 0u);
}
