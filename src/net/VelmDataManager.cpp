// The transfer store and the shared world lists, one state object behind free functions.
#include "net/VelmDataManager.h"

#include <deque>
#include <mutex>

#include "net/VelmFileGetter.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"

namespace {
struct VelmData {
    std::list<TransferRecord> transfers;  // main thread only; newest first
    std::mutex messageLock;               // guards messages: getters post from their own threads
    std::deque<std::string> messages;
    std::int32_t playerX = 0;
    std::int32_t playerY = 0;
    std::list<CharacterRecord> characters;
    std::list<DreamMarkerRecord> dreamMarkers;
};

VelmData& Data() {
    static VelmData* data = new VelmData;  // never destroyed: getters may post during static teardown
    return *data;
}

const char* const kDreamNote =
    ">  NOTE:  Dreams still need to be decompressed... not done yet... so can't enter yet.  Returning to "
    "normal map.";
}  // namespace

VELM::FileGetter* StartDownload(const std::string& id, std::uint32_t kind, const std::string& folder) {
    VelmData& data = Data();
    data.transfers.push_front(TransferRecord{kind, false, id, nullptr});
    TransferRecord& record = data.transfers.front();
    record.getter = track(new VELM::FileGetter(id, folder), "VELM::FileGetter(id,path)", VELM_SITE);
    return record.getter;
}

void EndTransfer(TransferRecord record) {
    VelmData& data = Data();
    for (auto it = data.transfers.begin(); it != data.transfers.end(); ++it) {
        if (it->id == record.id && it->getter == record.getter) {
            trackedDelete(it->getter, VELM_SITE);
            data.transfers.erase(it);
            return;
        }
    }
    errorLog.Write("Attempt to end a transfer that doesn't exist.\n");
    errorLog.Write("  -transfer type: ");
    errorLog.Write(record.upload ? "upload " : "download ");
    errorLog.Write(record.kind == 0 ? "dream" : "portrait");
    errorLog.Write("\n");
    errorLog.Write("  -transfer ID: ");
    errorLog.Write(record.id);
    errorLog.Write("\n");
    errorLog.Write("  -call stack:\n");
    errorLog.Write(GetCallStack());
    errorLog.Write("\n");
}

const std::list<TransferRecord>& Transfers() {
    return Data().transfers;
}

void PostTransferMessage(const std::string& text) {
    VelmData& data = Data();
    std::lock_guard<std::mutex> hold(data.messageLock);
    data.messages.push_back(text);
}

bool NextTransferMessage(std::string& text) {
    VelmData& data = Data();
    std::lock_guard<std::mutex> hold(data.messageLock);
    if (data.messages.empty()) return false;
    text = std::move(data.messages.front());
    data.messages.pop_front();
    return true;
}

void PollTransfers(const LineSender& sendLine) {
    for (const TransferRecord& record : Data().transfers) {
        if (record.upload || record.kind != 0) continue;
        if (record.getter == nullptr || !record.getter->IsFinished()) continue;
        const TransferRecord finished = record;
        if (sendLine) sendLine("meadowcross");
        PostTransferMessage(kDreamNote);
        if (sendLine) sendLine("goback");
        EndTransfer(finished);
        return;
    }
}

void GetPlayerPosition(std::int32_t& x, std::int32_t& y) {
    x = Data().playerX;
    y = Data().playerY;
}

void SetPlayerPosition(std::int32_t x, std::int32_t y) {
    Data().playerX = x;
    Data().playerY = y;
}

const std::list<CharacterRecord>& CharacterList() {
    return Data().characters;
}

void AddCharacter(const CharacterRecord& record) {
    Data().characters.push_back(record);
}

void RemoveAllCharacters() {
    Data().characters.clear();
}

void RemoveCharacterAt(std::int32_t x, std::int32_t y) {
    auto& list = Data().characters;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->x == x && it->y == y) {
            list.erase(it);
            return;
        }
    }
}

CharacterRecord* FindCharacterAt(std::int32_t x, std::int32_t y) {
    for (CharacterRecord& record : Data().characters) {
        if (record.x == x && record.y == y) return &record;
    }
    return nullptr;
}

const std::list<DreamMarkerRecord>& DreamMarkerList() {
    return Data().dreamMarkers;
}

void AddDreamMarker(const DreamMarkerRecord& record) {
    Data().dreamMarkers.push_back(record);
}

void RemoveAllDreamMarkers() {
    Data().dreamMarkers.clear();
}

void RemoveDreamMarkerAt(std::int32_t x, std::int32_t y) {
    auto& list = Data().dreamMarkers;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->x == x && it->y == y) {
            list.erase(it);
            return;
        }
    }
}

namespace {
void Forget() {
    VelmData& data = Data();
    while (!data.transfers.empty()) EndTransfer(data.transfers.front());
    {
        std::lock_guard<std::mutex> hold(data.messageLock);
        data.messages.clear();
    }
    data.playerX = data.playerY = 0;
    data.characters.clear();
    data.dreamMarkers.clear();
}

const bool kRegistered = RegisterProcessState("transfer store", Forget, kNetState);
}  // namespace
