// The game protocol: arbitrary server bytes, cut into batches of arbitrary sizes, through the line framing
// and HandleServerLine; usually after the login handshake, so the world messages are reached. The first
// input byte chooses: bit 0 clear logs in first; the other bits seed the batch sizes.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "client/ServerLines.h"
#include "net/NetClient.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"
#include "runtime/CThread.h"
#include "runtime/ProcessState.h"
#include "testing/DxgTesting.h"

namespace {

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void WriteFile(const char* path, const std::string& bytes) {
    if (std::FILE* file = std::fopen(path, "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

// A small map, a floor archive and a palette that map and palette lines may name, and a file server
// address that refuses at once, so dream downloads end quickly.
bool WriteGameFiles() {
    std::string map = "MAP V01.10 Velmoria\nheight=4\nwidth=3\nother=1\nBODY\n";
    for (int i = 0; i < 12; ++i) Put16(map, static_cast<unsigned>(i % 3));
    for (int i = 0; i < 12; ++i) Put16(map, static_cast<unsigned>(i % 2));
    map += std::string(24, '\1');
    WriteFile("m.map", map);
    std::string spk;
    Put16(spk, 1);
    Put16(spk, 0);
    spk += {'\x04', '\x02', '\0', '\0'};
    spk += std::string(8, '\x05');
    std::filesystem::create_directories("patches/default");
    std::filesystem::create_directories("data");
    WriteFile("patches/default/floors.spk", spk);
    WriteFile("patches/default/p.pcx", std::string(900, '\x40'));
    WriteFile("data/velmfile_ip.txt", "127.0.0.1 1\n");
    return true;
}

void Feed(const std::string& bytes) {
    HandleServerBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The device for the floor textures is set up once per process.
    static gfx::RecordingDevice* const device = WriteGameFiles() ? DXG::InitRecordingForTests() : nullptr;
    // A dream download's threads (the getter's and its connection's) notice their end, and their owners
    // see them gone, within a millisecond, not at the usual pace.
    static const bool quick = [] {
        VELM::FileGetter::SetPassInterval(std::chrono::milliseconds(1));
        NetClient::SetPolling({std::chrono::milliseconds(1), std::chrono::milliseconds(1)});
        return true;
    }();
    (void)quick;
    if (device == nullptr) __builtin_trap();
    if (size == 0) return 0;
    if ((data[0] & 1) == 0) {
        Feed("Welcome\nEND\n");
        Feed("&&&&&&&&&&&&&\n");
    }
    std::uint32_t state = (data[0] >> 1) * 2654435761u + 1;
    for (std::size_t at = 1; at < size;) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const std::size_t piece = std::min<std::size_t>(size - at, 1 + state % 48);
        HandleServerBytes(data + at, piece);
        at += piece;
    }
    PollTransfers({});
    for (std::string text; NextTransferMessage(text);) {
    }
    // Every avatar and marker the handlers kept came from a line; the map stays within its bounds.
    if (CharacterList().size() > 65536 || DreamMarkerList().size() > 4096) __builtin_trap();
    // Each input leaves a fresh world and protocol behind: the next starts clean, and libFuzzer finds the
    // input's allocations freed (it runs its costly leak scan after any input that keeps some).
    ResetProcessState(
        {"protocol", "world messages", "transfer store", "world renderer", "map", "floor palette"});
    device->ClearRecord();
    // Dream offers leave their download folders: removed, so that the folder the client searches for each
    // path does not grow with every input and slow the ones after it.
    std::error_code ignored;
    std::filesystem::remove_all("vvw_tmp", ignored);
    return 0;
}
