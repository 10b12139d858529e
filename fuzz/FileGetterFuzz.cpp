// The dream getter's stream: arbitrary bytes from the file server after its welcome line, arriving in
// pieces whose size the first input byte sets.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "net/FileGetterStream.h"
#include "net/VelmDataManager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* sink = std::fopen("/dev/null", "wb");
    if (size == 0) return 0;
    std::size_t sent = 0;
    VELM::FileGetterStream stream(
        "fuzz", "name", "password", [&sent](const std::string& message) { sent += message.size(); }, sink);
    static const std::string welcome = "10 welcome\n";
    stream.Append(reinterpret_cast<const std::uint8_t*>(welcome.data()), welcome.size());
    const std::size_t piece = 1 + data[0] % 64;
    for (std::size_t at = 1; at < size; at += piece) {
        stream.Append(data + at, std::min(piece, size - at));
        while (stream.Step()) {
        }
    }
    while (stream.Step()) {
    }
    // Progress stays within what was announced.
    if (stream.BytesWritten() < 0 || stream.BytesWritten() > stream.FileSize()) __builtin_trap();
    for (std::string text; NextTransferMessage(text);) {
    }
    return 0;
}
