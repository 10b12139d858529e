// Reference-counted records shared by handles, with one registry of live records per resource type.
// The graphics layer instantiates it for textures and vertex buffers; this layer knows no graphics.
#pragma once

#include <cstdint>
#include <list>

#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"

// One shared record: the count of handles pointing at it, then the resource type's payload.
template <class Payload>
struct SharedRecord {
    std::uint32_t count = 0;  // handles that point at this record
    Payload payload{};
};

// A handle on a shared record of one resource type. Blank (holding nothing) is a normal state.
// Resource types derive from it, supply FreePayload and call SRFree in their own destructor.
template <class Payload>
class SharedResource {
public:
    using Record = SharedRecord<Payload>;
    using RegistryList = std::list<Record*>;

    SharedResource() = default;
    SharedResource(const SharedResource&) = delete;
    SharedResource& operator=(const SharedResource&) = delete;

    // A handle still holding a record here means the resource type did not release it: the record is
    // left allocated (the leak report names it) and the omission is logged.
    virtual ~SharedResource() {
        if (m_record != nullptr) {
            ReportMisuse(
                "Warning: Base (SharedResource) being destructed, but resource still allocated.  Did child "
                "not "
                "call SRFree in destructor?\n",
                "  -call stack:\n");
        }
    }

    // Releases the current hold, then makes a fresh record with a default payload, held once.
    void SRAlloc() {
        SRFree();
        Record* record = track(new Record(), "ResType", ".\\SharedResource_TCPP", 74);
        record->count = 1;
        m_record = record;
        Registry().push_back(record);
    }

    // Releases the current hold, then holds the given record (when not null). Sharing the record already
    // held changes nothing, so a last holder never frees the record it is about to hold again.
    void SRShare(Record* record) {
        if (record != nullptr && record == m_record) {
            return;
        }
        SRFree();
        m_record = record;
        if (record != nullptr) {
            ++record->count;
        }
    }

    // Lets go of the record; the last holder unlinks it, frees its payload and deletes it.
    void SRFree() {
        Record* record = m_record;
        if (record == nullptr) {
            return;
        }
        if (--record->count != 0) {
            m_record = nullptr;
            return;
        }
        RegistryList& registry = Registry();
        bool found = false;
        for (auto it = registry.begin(); it != registry.end(); ++it) {
            if (*it == record) {
                registry.erase(it);
                found = true;
                break;
            }
        }
        if (!found) {
            ReportMisuse("Internal error in SharedResource, SRFree()...", "  -call stack:\n");
        }
        FreePayload();
        trackedDelete(record, ".\\SharedResource_TCPP", 103);
        m_record = nullptr;
    }

    Record* GetRecord() const { return m_record; }

    // The live records of this resource type in allocation order. Process-wide and never destroyed, so
    // it outlives every handle, static ones included.
    static RegistryList& Registry() {
        static RegistryList* registry = new RegistryList();
        return *registry;
    }

protected:
    // Gives back what the payload holds outside the record (a device texture or buffer). Called by
    // SRFree while the handle still points at the dying record.
    virtual void FreePayload() = 0;

    Record* m_record = nullptr;  // null when the handle holds nothing
};
