// Reference counts, registry membership and the two logged faults of shared resource handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "data/SharedResource.h"
#include "support/TestSupport.h"

namespace {
struct Payload {
    int value = 0;
};

int payloadsFreed = 0;

// A resource type; one made with releases = false forgets to release in its destructor.
class Handle : public SharedResource<Payload> {
public:
    explicit Handle(bool releases = true) : m_releases(releases) {}
    ~Handle() override {
        if (m_releases) SRFree();
    }
    Record* record() const { return m_record; }

protected:
    void FreePayload() override {
        ASSERT_NE(m_record, nullptr);  // still pointing at the dying record
        ++payloadsFreed;
    }

private:
    bool m_releases;
};

class SharedResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLog(errorLog);
        payloadsFreed = 0;
        liveBefore = memoryTracker.LiveAllocations();
    }
    int Live() const { return memoryTracker.LiveAllocations() - liveBefore; }
    // The record's count while it is registered, the payloads freed and the tracked records alive.
    std::string State(SharedRecord<Payload>* record) const {
        const auto& registry = SharedResource<Payload>::Registry();
        const bool registered = std::find(registry.begin(), registry.end(), record) != registry.end();
        return (registered ? "count " + std::to_string(record->count) : std::string("gone")) + ", freed " +
               std::to_string(payloadsFreed) + ", live " + std::to_string(Live());
    }
    int liveBefore = 0;
};

TEST_F(SharedResourceTest, AllocRegistersTrackedRecordsInOrderAndTheLastHolderFreesOnce) {
    Handle a, b, second;
    a.SRAlloc();
    b.SRAlloc();
    const auto& registry = SharedResource<Payload>::Registry();
    EXPECT_EQ(std::next(std::find(registry.begin(), registry.end(), a.record())),
              std::find(registry.begin(), registry.end(), b.record()));
    auto* record = a.record();
    second.SRShare(record);
    EXPECT_EQ(State(record), "count 2, freed 0, live 2");
    a.SRFree();
    EXPECT_EQ(a.record(), nullptr);
    EXPECT_EQ(State(record), "count 1, freed 0, live 2");
    second.SRFree();
    EXPECT_EQ(State(record), "gone, freed 1, live 1");
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(SharedResourceTest, AllocOrShareOnAHoldingHandleReleasesTheOldRecordFirst) {
    Handle a, b;
    a.SRAlloc();
    auto* old = a.record();
    a.SRAlloc();
    EXPECT_EQ(State(old), "gone, freed 1, live 1");
    b.SRAlloc();
    auto* bRecord = b.record();
    b.SRShare(a.record());
    EXPECT_EQ(State(bRecord), "gone, freed 2, live 1");
    b.SRShare(nullptr);
    EXPECT_EQ(b.record(), nullptr);
    a.SRShare(a.record());  // sharing the record already held keeps it alive
    EXPECT_EQ(State(a.record()), "count 1, freed 2, live 1");
}

TEST_F(SharedResourceTest, DestroyedWhileHoldingWarnsAndKeepsTheRecord) {
    SharedRecord<Payload>* record = nullptr;
    {
        Handle h(false);
        h.SRAlloc();
        record = h.record();
    }
    const std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Warning: Base (SharedResource) being destructed, but resource still allocated.  Did "
                        "child not call SRFree in destructor?\n  -call stack:\n",
                        0),
              0u)
        << log;
    EXPECT_EQ(State(record), "count 1, freed 0, live 1");
    record->count = 0;  // adopted, so the process ends without a leak
    Handle adopter;
    adopter.SRShare(record);
    adopter.SRFree();
    EXPECT_EQ(State(record), "gone, freed 1, live 0");
}
}  // namespace
