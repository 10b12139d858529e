// Server text of any bytes through CText and CTextWindow: layout, word wrap and line breaking over a
// recording device must stay inside the vertex buffer and draw only whole quads.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "gfx/CText.h"
#include "gfx/CTextWindow.h"
#include "gfx/DdsWriter.h"
#include "testing/DxgTesting.h"

namespace {

// A blank font in the working folder, kept loaded by one text for the whole run so that every other text
// shares it from the cache instead of reading the file (or logging its absence) each time.
void KeepFontLoaded() {
    std::filesystem::create_directories("data");
    std::ofstream("data/font12.dds", std::ios::binary) << gfx::DdsArgbFile(256, 256, {});
    static CText keeper("font");
    if (DXG::BeginFrame(0.0f, false, false)) {
        keeper.Draw();
        DXG::EndFrame0();
    }
}

gfx::RecordingDevice* Device() {
    static gfx::RecordingDevice* device = [] {
        gfx::RecordingDevice* d = DXG::InitRecordingForTests();
        assert(d != nullptr);
        KeepFontLoaded();
        return d;
    }();
    return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    gfx::RecordingDevice* device = Device();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!DXG::BeginFrame(0.0f, false, false)) return 0;
    device->ClearRecord();
    {
        CText text(bytes);
        text.SetPosition(50, 300);
        text.SetWidthLimit(size % 2 ? 700.0f : 37.0f);
        text.Draw();
        CTextWindow window(25, 25, float(size % 400), 525, 10);
        window.AddText(text);
        window.AddText(bytes);
        window.Draw();
        assert(window.GetLines().size() <= 10);
    }
    for (const gfx::RecordedDraw& d : device->draws) {
        if (!d.fromMemory) assert(d.VertexCount() % 6 == 0);
    }
    DXG::EndFrame0();
    return 0;
}
