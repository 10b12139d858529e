// Server text of any bytes through CText and CTextWindow: layout, word wrap and line breaking over a
// recording device must stay inside the vertex buffer and draw only whole quads.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/CText.h"
#include "gfx/CTextWindow.h"
#include "gfx/DxgTesting.h"

namespace {

gfx::RecordingDevice* Device() {
    static gfx::RecordingDevice* device = [] {
        gfx::RecordingDevice* d = DXG::InitRecordingForTests();
        assert(d != nullptr);
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
