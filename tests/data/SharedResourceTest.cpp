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
    auto& registry = SharedResource<Payload>::Registry();
    return std::find(registry.begin(), registry.end(), record) != registry.end();
}

class SharedResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLog(errorLog);
        payloadsFreed = 0;
        liveBefore = memoryTracker.LiveAllocationsForTests();
    }
    int liveBefore = 0;
};

TEST_F(SharedResourceTest, FreeOnBlankHandleDoesNothing) {
    Handle h;
    h.SRFree();
    EXPECT_EQ(h.record(), nullptr);
    EXPECT_EQ(payloadsFreed, 0);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(SharedResourceTest, AllocRegistersATrackedRecordHeldOnce) {
    Handle h;
    h.SRAlloc();
    ASSERT_NE(h.record(), nullptr);
    EXPECT_EQ(h.record()->count, 1u);
    EXPECT_TRUE(InRegistry(h.record()));
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore + 1);
    h.SRFree();
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore);
    EXPECT_EQ(payloadsFreed, 1);
}

TEST_F(SharedResourceTest, RegistryKeepsAllocationOrder) {
    Handle a, b, c;
    a.SRAlloc();
    b.SRAlloc();
    c.SRAlloc();
    auto& registry = SharedResource<Payload>::Registry();
    auto ia = std::find(registry.begin(), registry.end(), a.record());
    auto ib = std::find(registry.begin(), registry.end(), b.record());
    auto ic = std::find(registry.begin(), registry.end(), c.record());
    ASSERT_NE(ic, registry.end());
    EXPECT_EQ(std::next(ia), ib);
    EXPECT_EQ(std::next(ib), ic);
}

TEST_F(SharedResourceTest, SharedRecordIsFreedOnceByTheLastHolder) {
    Handle first, second;
    first.SRAlloc();
    auto* record = first.record();
    second.SRShare(record);
    EXPECT_EQ(record->count, 2u);

    first.SRFree();
    EXPECT_EQ(first.record(), nullptr);
    EXPECT_EQ(record->count, 1u);
    EXPECT_TRUE(InRegistry(record));
    EXPECT_EQ(payloadsFreed, 0);

    second.SRFree();
    EXPECT_FALSE(InRegistry(record));
    EXPECT_EQ(payloadsFreed, 1);
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(SharedResourceTest, AllocOnAHoldingHandleReleasesTheOldRecordFirst) {
    Handle h;
    h.SRAlloc();
    auto* old = h.record();
    h.SRAlloc();
    EXPECT_NE(h.record(), nullptr);
    EXPECT_FALSE(InRegistry(old));
    EXPECT_EQ(payloadsFreed, 1);
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore + 1);
}

TEST_F(SharedResourceTest, ShareReleasesTheOldRecordAndAcceptsNull) {
    Handle a, b;
    a.SRAlloc();
    b.SRAlloc();
    auto* bRecord = b.record();
    b.SRShare(a.record());
    EXPECT_FALSE(InRegistry(bRecord));
    EXPECT_EQ(a.record()->count, 2u);
    b.SRShare(nullptr);
    EXPECT_EQ(b.record(), nullptr);
    EXPECT_EQ(a.record()->count, 1u);
}

TEST_F(SharedResourceTest, SharingTheHeldRecordKeepsItAlive) {
    Handle h;
    h.SRAlloc();
    auto* record = h.record();
    h.SRShare(record);
    EXPECT_EQ(h.record(), record);
    EXPECT_EQ(record->count, 1u);
    EXPECT_EQ(payloadsFreed, 0);
    EXPECT_TRUE(InRegistry(record));
}

TEST_F(SharedResourceTest, RecordMissingFromRegistryIsReportedAndStillFreed) {
    Handle h;
    h.SRAlloc();
    SharedResource<Payload>::Registry().remove(h.record());
    h.SRFree();
    EXPECT_EQ(h.record(), nullptr);
    EXPECT_EQ(payloadsFreed, 1);
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore);
    std::string log = LogText(errorLog);
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
    std::string log = LogText(errorLog);
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
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore);
}

}  // namespace
