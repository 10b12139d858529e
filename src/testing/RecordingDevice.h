// The recording driver of the device front end: draws nothing and records every call, state change and
// draw (with its vertices), so that graphics logic can be tested without a display. Results of the
// lost-device protocol and of resource creation can be forced. Linked only by tests, benchmarks and fuzz
// targets.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "gfx/AdapterFrontEnd.h"
#include "gfx/DeviceFrontEnd.h"
#include "testing/RecordedCallText.h"

namespace gfx {

struct RecordedDraw {
    PrimitiveType type = PrimitiveType::TriangleList;
    uint32_t primitiveCount = 0;
    uint32_t startVertex = 0;  // first vertex in the stream buffer (0 for draws from memory)
    bool fromMemory = false;   // DrawPrimitiveUP
    uint32_t fvf = 0;
    uint32_t stride = 0;
    std::vector<uint8_t> vertexBytes;              // the vertices drawn, in order
    std::shared_ptr<Texture> texture;              // stage 0 at the time of the draw
    std::map<RenderState, uint32_t> renderStates;  // every render state at the time of the draw
    Matrix world, view, projection;
    std::shared_ptr<Surface> renderTarget;

    uint32_t VertexCount() const { return stride ? uint32_t(vertexBytes.size() / stride) : 0; }
    ScreenVertex Screen(uint32_t i) const;  // vertex i read as a 28-byte screen vertex
    WorldVertex World(uint32_t i) const;    // vertex i read as a 36-byte world vertex
    uint32_t State(RenderState s) const;
};

struct RecordedCall {
    std::string text;    // e.g. "SetRenderState(CullMode,1)", "DrawPrimitiveUP(TriangleFan,2)", "Present"
    int drawIndex = -1;  // index into draws for draw calls
};

struct RecordingShared;

class RecordingDevice : public DeviceFrontEnd {
    std::shared_ptr<RecordingShared> m_shared;

public:
    explicit RecordingDevice(const PresentParameters& params = PresentParameters());
    ~RecordingDevice() override;

    // ---- what was recorded
    std::vector<RecordedCall> calls;
    std::vector<RecordedDraw> draws;
    void ClearRecord();
    // Texts of the calls whose text starts with prefix ("" = all), in order.
    std::vector<std::string> CallTexts(const std::string& prefix = "") const;
    size_t CountCalls(const std::string& prefix) const;

    // ---- forced outcomes (cooperativeLevel is the front end's; a successful Reset makes it Ok)
    Result resetResult = Result::Ok;         // DriverReset's outcome
    Result renderTargetResult = Result::Ok;  // whether a new render target can be drawn into
    Result beginSceneResult = Result::Ok;
    Result createTextureResult = Result::Ok;
    Result createVertexBufferResult = Result::Ok;
    Result& lockResult;                           // texture and vertex-buffer locks
    std::set<Format> refusedTextureFormats;       // formats the hardware lacks
    uint64_t textureMemoryBudget = 256ull << 20;  // available memory = budget - live resources

    uint64_t GetAvailableTextureMem() const override;
    std::string GetVertexShaderProfile() const override { return "recording vs"; }
    std::string GetPixelShaderProfile() const override { return "recording ps"; }

private:
    void Noted(const CallNote& note) override;
    void DrawRefused() override;
    Result DriverReset(const PresentParameters& previous) override;
    Result DriverBeginScene() override { return beginSceneResult; }
    void DriverPresent() override {}
    void DriverClear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
    void DriverDraw(const DrawCall& draw) override;
    Result DriverCreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                               Format format, Pool pool, std::shared_ptr<Texture>* out) override;
    Result DriverCreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                    std::shared_ptr<VertexBuffer>* out) override;
    bool DriverHasFormat(Format format) const override { return !refusedTextureFormats.count(format); }
    Result DriverRenderTargetChanged() override;
    Result DriverCopyRenderTarget(Surface* renderTarget, Surface* destination) override;
    bool DriverReadRenderTarget(Image* out) override;
};

// A driver that creates RecordingDevices; format checks and creation outcomes can be forced.
class RecordingDriver : public AdapterFrontEnd {
public:
    std::set<Format> refusedDisplayFormats;
    std::set<Format> refusedDepthFormats;
    std::set<Format> refusedTextureFormats;
    std::vector<Result> createResults;  // outcomes of successive CreateDevice calls; Ok once used up
    int desktopBits = 32;
    int createCalls = 0;
    PresentParameters lastParams;  // as passed to the last CreateDevice
    uint32_t lastCreateFlags = 0;
    RecordingDevice* lastDevice = nullptr;  // owned by whoever received it (DXG)

    int DesktopBitsPerPixel() override { return desktopBits; }

private:
    bool DriverHasDisplayFormat(Format format, bool windowed) override;
    bool DriverHasDepthFormat(Format depthFormat) override;
    bool DriverHasTextureFormat(Format textureFormat) override;
    Result DriverCreateDevice(void* window, uint32_t createFlags, const PresentParameters& params,
                              std::unique_ptr<Device>* out) override;
};

}  // namespace gfx
