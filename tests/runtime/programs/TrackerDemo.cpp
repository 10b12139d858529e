// Runs one scenario of the memory tracker and ends, so that the exit report can be inspected:
//   tracker-demo clean | leak | double-delete | stack | repeated
// Message boxes are appended to "_boxes.txt" through the hook.
#include <cstdio>
#include <string>

#include "platform/MessageBox.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"

namespace {
struct Lantern {
    int wick[5] = {};
};

__attribute__((noinline)) void MisuseSomething() {
    ReportMisuse("Error: the lantern was lit twice.\n");
}

__attribute__((noinline)) void CallerOfMisuse() {
    MisuseSomething();
    errorLog.Write("");  // keeps this frame from becoming a tail call
}
}  // namespace

int main(int argc, char** argv) {
    SetMessageBoxHook([](const std::string& caption, const std::string& text) {
        if (std::FILE* file = std::fopen("_boxes.txt", "a")) {
            std::fprintf(file, "[%s]\n%s", caption.c_str(), text.c_str());
            std::fclose(file);
        }
    });
    const std::string scenario = argc > 1 ? argv[1] : "clean";
    if (scenario == "clean") {
        trackedDelete(track(new Lantern, "Lantern()", VELM_SITE), VELM_SITE);
    } else if (scenario == "leak") {
        track(new Lantern, "Lantern(leaked)", VELM_SITE);
    } else if (scenario == "double-delete") {
        Lantern* lantern = track(new Lantern, "Lantern()", VELM_SITE);
        trackedDelete(lantern, VELM_SITE);
        trackedDelete(lantern, VELM_SITE);
    } else {
        for (int i = 0; i < (scenario == "repeated" ? 25 : 1); ++i) CallerOfMisuse();
    }
    return 0;
}
