// Session recordings: arbitrary bytes through the recording reader. Whatever it keeps is within its bounds,
// in time order, and reads back the same once written out again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "client/SessionRecording.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Recording recording;
    std::string message;
    if (!ParseRecording(std::string_view(reinterpret_cast<const char*>(data), size), recording, message)) {
        if (message.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    std::string again(kRecordingHeader);
    std::uint32_t last = 0;
    for (const RecordedEntry& entry : recording.entries) {
        if (entry.bytes.size() > kMaxRecordedBytes || entry.milliseconds < last) __builtin_trap();
        last = entry.milliseconds;
        again += EncodeRecordedEntry(entry);
    }
    Recording reread;
    if (!ParseRecording(again, reread, message) || !message.empty() ||
        reread.entries.size() != recording.entries.size())
        __builtin_trap();
    for (std::size_t i = 0; i < reread.entries.size(); ++i) {
        if (reread.entries[i].bytes != recording.entries[i].bytes ||
            reread.entries[i].milliseconds != recording.entries[i].milliseconds)
            __builtin_trap();
    }
    return 0;
}
