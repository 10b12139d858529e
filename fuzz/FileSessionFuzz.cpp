// The stand-in file server's handling of client bytes: one download exchange fed arbitrary bytes in
// pieces whose size the first input byte sets, with time passing between pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FileSession.h"
#include "FuzzFile.h"

namespace {
const FileServeOptions& Options() {
    static const FileServeOptions options = [] {
        std::filesystem::create_directories("fuzz-dreams/folder");
        const std::string dream(5000, 'd');
        WriteFuzzFile("fuzz-dreams/d1.dream", reinterpret_cast<const std::uint8_t*>(dream.data()),
                      dream.size());
        FileServeOptions made;
        made.root = "fuzz-dreams";
        made.blockSize = 512;
        made.window = 4;
        return made;
    }();
    return options;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    bool finished = false;
    std::size_t sent = 0;
    FileSession session(
        1, Options(),
        [&](const std::uint8_t*, std::size_t count) {
            if (finished) __builtin_trap();  // nothing is sent after the exchange has ended
            sent += count;
        },
        [](const std::string&) {});
    FileClock::time_point now{};
    session.Start(now);
    const std::size_t piece = 1 + data[0] % 64;
    for (std::size_t at = 1; at < size && !session.Finished(); at += piece) {
        session.Receive(data + at, std::min(piece, size - at));
        now += std::chrono::milliseconds(50);
        session.Advance(now);
        finished = session.Finished();
    }
    session.ClientClosed();
    if (session.Complete() && !session.Finished()) __builtin_trap();
    return 0;
}
