// The recording test device: every call kept as text, draws kept with their vertices and the states they
// were drawn with, clears and copies carried out on the memory-backed surfaces.
#include "testing/RecordingDevice.h"

#include <algorithm>
#include <cstring>

#include "testing/RecordedCallText.h"
#include "testing/RecordingResources.h"

namespace gfx {

ScreenVertex RecordedDraw::Screen(uint32_t i) const {
    ScreenVertex v{};
    if (size_t(i + 1) * stride <= vertexBytes.size() && stride >= sizeof v)
        memcpy(&v, vertexBytes.data() + size_t(i) * stride, sizeof v);
    return v;
}

WorldVertex RecordedDraw::World(uint32_t i) const {
    WorldVertex v{};
    if (size_t(i + 1) * stride <= vertexBytes.size() && stride >= sizeof v)
        memcpy(&v, vertexBytes.data() + size_t(i) * stride, sizeof v);
    return v;
}

uint32_t RecordedDraw::State(RenderState s) const {
    auto it = renderStates.find(s);
    return it == renderStates.end() ? 0 : it->second;
}

RecordingDevice::RecordingDevice(const PresentParameters& params)
    : DeviceFrontEnd(params),
      m_shared(std::make_shared<RecordingShared>()),
      lockResult(m_shared->lockResult) {
    m_backBuffer = std::make_shared<RecordingSurface>(params.backBufferWidth, params.backBufferHeight,
                                                      params.backBufferFormat);
    m_renderTarget = m_backBuffer;
}

RecordingDevice::~RecordingDevice() = default;

void RecordingDevice::ClearRecord() {
    calls.clear();
    draws.clear();
}

std::vector<std::string> RecordingDevice::CallTexts(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.text.compare(0, prefix.size(), prefix) == 0) out.push_back(c.text);
    return out;
}

size_t RecordingDevice::CountCalls(const std::string& prefix) const {
    return CallTexts(prefix).size();
}

void RecordingDevice::Noted(const CallNote& note) {
    calls.push_back({CallText(note, m_backBuffer.get()), -1});
}

void RecordingDevice::DrawRefused() {
    calls.back().text += " invalid";
}

Result RecordingDevice::DriverReset(const PresentParameters& previous) {
    if (resetResult != Result::Ok) return resetResult;
    if (m_params.backBufferWidth != previous.backBufferWidth ||
        m_params.backBufferHeight != previous.backBufferHeight)
        m_backBuffer = std::make_shared<RecordingSurface>(m_params.backBufferWidth, m_params.backBufferHeight,
                                                          m_params.backBufferFormat);
    return Result::Ok;
}

void RecordingDevice::DriverClear(uint32_t flags, uint32_t colour, float, uint32_t) {
    if (!(flags & kClearTarget)) return;
    // Direct3D clears the viewport's rectangle.
    auto* s = static_cast<RecordingSurface*>(m_renderTarget.get());
    SurfaceDesc d = s->GetDesc();
    uint32_t pitch = 0;
    uint8_t* bytes = s->Bytes(&pitch);
    uint32_t x1 = std::min(d.width, m_viewport.x + m_viewport.width);
    uint32_t y1 = std::min(d.height, m_viewport.y + m_viewport.height);
    if (BytesPerPixel(d.format) == 4)
        for (uint32_t y = m_viewport.y; y < y1; ++y)
            for (uint32_t x = m_viewport.x; x < x1; ++x)
                memcpy(bytes + size_t(y) * pitch + x * 4, &colour, 4);
}

void RecordingDevice::DriverDraw(const DrawCall& draw) {
    RecordedDraw d;
    d.type = draw.type;
    d.primitiveCount = draw.primitiveCount;
    d.startVertex = draw.startVertex;
    d.fromMemory = draw.memory != nullptr;
    d.fvf = m_fvf;
    d.stride = draw.stride;
    d.texture = m_textures[0];
    d.renderStates = m_renderStates;
    d.world = m_world;
    d.view = m_view;
    d.projection = m_projection;
    d.renderTarget = m_renderTarget;
    const size_t bytes = size_t(draw.vertexCount) * draw.stride;
    if (draw.memory) {
        d.vertexBytes.assign(draw.memory, draw.memory + bytes);
    } else {
        const auto& source = static_cast<RecordingVertexBuffer*>(draw.buffer)->Bytes();
        const size_t begin = draw.bufferOffset + size_t(draw.startVertex) * draw.stride;
        d.vertexBytes.assign(source.begin() + long(begin), source.begin() + long(begin + bytes));
    }
    draws.push_back(std::move(d));
    calls.back().drawIndex = int(draws.size() - 1);
}

Result RecordingDevice::DriverRenderTargetChanged() {
    return renderTargetResult;
}

Result RecordingDevice::DriverCreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                            Format format, Pool pool, std::shared_ptr<Texture>* out) {
    if (createTextureResult != Result::Ok) return createTextureResult;
    *out = std::make_shared<RecordingTexture>(m_ledger, m_shared, width, height, levels, usage, format, pool);
    return Result::Ok;
}

Result RecordingDevice::DriverCreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                                 std::shared_ptr<VertexBuffer>* out) {
    if (createVertexBufferResult != Result::Ok) return createVertexBufferResult;
    *out = std::make_shared<RecordingVertexBuffer>(m_ledger, m_shared, length, usage, fvf, pool);
    return Result::Ok;
}

Result RecordingDevice::DriverCopyRenderTarget(Surface* renderTarget, Surface* destination) {
    auto* source = static_cast<RecordingSurface*>(renderTarget);
    auto* target = static_cast<RecordingSurface*>(destination);
    const SurfaceDesc s = source->GetDesc();
    uint32_t sp = 0, dp = 0;
    uint8_t* src = source->Bytes(&sp);
    uint8_t* dst = target->Bytes(&dp);
    for (uint32_t y = 0; y < LevelRows(s.format, s.height); ++y)
        memcpy(dst + size_t(y) * dp, src + size_t(y) * sp, std::min(sp, dp));
    return Result::Ok;
}

bool RecordingDevice::DriverReadRenderTarget(Image* out) {
    auto* s = static_cast<RecordingSurface*>(m_renderTarget.get());
    SurfaceDesc d = s->GetDesc();
    if (BytesPerPixel(d.format) != 4) return false;
    uint32_t pitch = 0;
    const uint8_t* bytes = s->Bytes(&pitch);
    out->width = d.width;
    out->height = d.height;
    out->pixels.resize(size_t(d.width) * d.height);
    for (uint32_t y = 0; y < d.height; ++y)
        memcpy(&out->pixels[size_t(y) * d.width], bytes + size_t(y) * pitch, d.width * 4);
    return true;
}

uint64_t RecordingDevice::GetAvailableTextureMem() const {
    return LiveResourceBytes() >= textureMemoryBudget ? 0 : textureMemoryBudget - LiveResourceBytes();
}

bool RecordingDriver::DriverHasDisplayFormat(Format format, bool) {
    return !refusedDisplayFormats.count(format);
}

bool RecordingDriver::DriverHasDepthFormat(Format depthFormat) {
    return !refusedDepthFormats.count(depthFormat);
}

bool RecordingDriver::DriverHasTextureFormat(Format textureFormat) {
    return !refusedTextureFormats.count(textureFormat);
}

Result RecordingDriver::DriverCreateDevice(void*, uint32_t createFlags, const PresentParameters& params,
                                           std::unique_ptr<Device>* out) {
    size_t attempt = size_t(createCalls++);
    lastParams = params;
    lastCreateFlags = createFlags;
    if (attempt < createResults.size() && createResults[attempt] != Result::Ok) return createResults[attempt];
    auto device = std::make_unique<RecordingDevice>(params);
    device->refusedTextureFormats = refusedTextureFormats;
    lastDevice = device.get();
    *out = std::move(device);
    return Result::Ok;
}

}  // namespace gfx
