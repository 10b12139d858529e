// Reference counts, registry membership and the logged fault of shared resource handles.
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
    // The record's count while it is registered, the payloads freed and the tracked records alive.
    std::string State(SharedRecord<Payload>* record) const {
        const bool registered = std::find(Registry().begin(), Registry().end(), record) != Registry().end();
        return (registered ? "count " + std::to_string(record->count) : std::string("gone")) + ", freed " +
               std::to_string(payloadsFreed) + ", live " +
               std::to_string(memoryTracker.LiveAllocations() - liveBefore);
    }
    static const Handle::RegistryList& Registry() { return SharedResource<Payload>::Registry(); }
    int liveBefore = 0;
};

TEST_F(SharedResourceTest, TheLastHolderFreesOnceAndAHoldingHandleReleasesBeforeItHoldsAgain) {
    Handle a, b;
    a.SRAlloc();
    auto* first = a.record();
    b.SRShare(first);
    EXPECT_EQ(State(first), "count 2, freed 0, live 1");
    a.SRAlloc();
    EXPECT_EQ(State(first), "count 1, freed 0, live 2");
    EXPECT_EQ(std::next(std::find(Registry().begin(), Registry().end(), first)),
              std::find(Registry().begin(), Registry().end(), a.record()));  // registered in order
    b.SRShare(a.record());
    EXPECT_EQ(State(first), "gone, freed 1, live 1");
    b.SRShare(nullptr);
    a.SRShare(a.record());  // sharing the record already held keeps it alive
    EXPECT_EQ(State(a.record()), "count 1, freed 1, live 1");
    a.SRFree();
    EXPECT_EQ(payloadsFreed, 2);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(SharedResourceTest, DestroyedWhileHoldingWarnsAndKeepsTheRecord) {
    SharedRecord<Payload>* record = nullptr;
    {
        Handle h(false);
        h.SRAlloc();
        record = h.record();
    }
    EXPECT_EQ(
        LogText(errorLog).rfind("Warning: Base (SharedResource) being destructed, but resource still "
                                "allocated.  Did child not call SRFree in destructor?\n  -call stack:\n",
                                0),
        0u)
        << LogText(errorLog);
    EXPECT_EQ(State(record), "count 1, freed 0, live 1");
    record->count = 0;  // adopted, so the process ends without a leak
    Handle adopter;
    adopter.SRShare(record);
    adopter.SRFree();
    EXPECT_EQ(State(record), "gone, freed 1, live 0");
}
}  // namespace
