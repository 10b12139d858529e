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

class Handle : public SharedResource<Payload> {
public:
    ~Handle() override { SRFree(); }
    Record* record() const { return m_record; }

protected:
    void FreePayload() override {
        ASSERT_NE(m_record, nullptr);  // still pointing at the dying record
        ++payloadsFreed;
    }
};

// A resource type that forgets to release in its destructor.
class ForgetfulHandle : public SharedResource<Payload> {
public:
    Record* record() const { return m_record; }

protected:
    void FreePayload() override { ++payloadsFreed; }
};

bool InRegistry(SharedRecord<Payload>* record) {
    const auto& registry = SharedResource<Payload>::Registry();
    return std::find(registry.begin(), registry.end(), record) != registry.end();
}

class SharedResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLog(errorLog);
        payloadsFreed = 0;
        liveBefore = memoryTracker.LiveAllocationsForTests();
    }
    int Live() const { return memoryTracker.LiveAllocationsForTests() - liveBefore; }
    int liveBefore = 0;
};

TEST_F(SharedResourceTest, AllocRegistersTrackedRecordsInOrderAndTheLastHolderFreesOnce) {
    Handle blank, a, b;
    blank.SRFree();  // nothing held: nothing happens
    EXPECT_EQ(payloadsFreed, 0);
    a.SRAlloc();
    b.SRAlloc();
    ASSERT_NE(a.record(), nullptr);
    EXPECT_EQ(a.record()->count, 1u);
    EXPECT_EQ(Live(), 2);
    const auto& registry = SharedResource<Payload>::Registry();
    EXPECT_EQ(std::next(std::find(registry.begin(), registry.end(), a.record())),
              std::find(registry.begin(), registry.end(), b.record()));

    Handle second;
    auto* record = a.record();
    second.SRShare(record);
    EXPECT_EQ(record->count, 2u);
    a.SRFree();
    EXPECT_EQ(a.record(), nullptr);
    EXPECT_EQ(record->count, 1u);
    EXPECT_TRUE(InRegistry(record));
    EXPECT_EQ(payloadsFreed, 0);
    second.SRFree();
    EXPECT_FALSE(InRegistry(record));
    EXPECT_EQ(payloadsFreed, 1);
    EXPECT_EQ(Live(), 1);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(SharedResourceTest, AllocOrShareOnAHoldingHandleReleasesTheOldRecordFirst) {
    Handle a, b;
    a.SRAlloc();
    auto* old = a.record();
    a.SRAlloc();
    EXPECT_FALSE(InRegistry(old));
    EXPECT_EQ(payloadsFreed, 1);
    EXPECT_EQ(Live(), 1);

    b.SRAlloc();
    auto* bRecord = b.record();
    b.SRShare(a.record());
    EXPECT_FALSE(InRegistry(bRecord));
    EXPECT_EQ(a.record()->count, 2u);
    b.SRShare(nullptr);
    EXPECT_EQ(b.record(), nullptr);
    EXPECT_EQ(a.record()->count, 1u);

    auto* held = a.record();  // sharing the record already held keeps it alive
    a.SRShare(held);
    EXPECT_EQ(a.record(), held);
    EXPECT_EQ(held->count, 1u);
    EXPECT_TRUE(InRegistry(held));
    EXPECT_EQ(payloadsFreed, 2);
}

TEST_F(SharedResourceTest, RecordMissingFromRegistryIsReportedAndStillFreed) {
    Handle h;
    h.SRAlloc();
    SharedResource<Payload>::Registry().remove(h.record());
    h.SRFree();
    EXPECT_EQ(payloadsFreed, 1);
    EXPECT_EQ(Live(), 0);
    const std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Internal error in SharedResource, SRFree()...  -call stack:\n", 0), 0u) << log;
    EXPECT_EQ(log.back(), '\n');
}

TEST_F(SharedResourceTest, DestroyedWhileHoldingWarnsAndKeepsTheRecord) {
    SharedRecord<Payload>* record = nullptr;
    {
        ForgetfulHandle h;
        h.SRAlloc();
        record = h.record();
    }
    const std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Warning: Base (SharedResource) being destructed, but resource still allocated.  Did "
                        "child not call SRFree in destructor?\n  -call stack:\n",
                        0),
              0u)
        << log;
    EXPECT_TRUE(InRegistry(record));
    EXPECT_EQ(payloadsFreed, 0);

    // Adopt the orphan so the process ends without a leak.
    record->count = 0;
    Handle adopter;
    adopter.SRShare(record);
    adopter.SRFree();
    EXPECT_FALSE(InRegistry(record));
    EXPECT_EQ(Live(), 0);
}
}  // namespace
