// The recording test device: memory-backed textures and buffers, every call kept as text, draws kept with
// their vertices and the states they were drawn with.
#include "testing/RecordingDevice.h"

#include <algorithm>
#include <cstring>

#include "gfx/MemoryTexture.h"
#include "gfx/MemoryVertexBuffer.h"

namespace gfx {

namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    snprintf(buf, sizeof buf, "%08X", v);
    return buf;
}

class RecordingTexture;

// One level of a recording texture, or the back buffer (which owns its own pixels).
class RecordingSurface : public Surface {
public:
    RecordingSurface(RecordingTexture* texture, uint32_t level, std::shared_ptr<Texture> keepAlive)
        : m_texture(texture), m_level(level), m_keepAlive(std::move(keepAlive)) {}
    RecordingSurface(uint32_t width, uint32_t height, Format format) {
        m_desc.format = format;
        m_desc.usage = kUsageRenderTarget;
        m_desc.pool = Pool::Default;
        m_desc.width = width;
        m_desc.height = height;
        m_own.assign(size_t(width) * height * 4, 0);
    }
    SurfaceDesc GetDesc() const override;
    Result LockRect(LockedRect* out, uint32_t flags) override;
    Result UnlockRect() override;
    // Bytes of the level and its pitch (for clears and copies).
    uint8_t* Bytes(uint32_t* pitch);
    uint32_t Level() const { return m_level; }

private:
    RecordingTexture* m_texture = nullptr;
    uint32_t m_level = 0;
    std::shared_ptr<Texture> m_keepAlive;
    SurfaceDesc m_desc;
    std::vector<uint8_t> m_own;
};

class RecordingTexture : public MemoryTexture, public std::enable_shared_from_this<RecordingTexture> {
public:
    RecordingTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                     Pool pool, std::shared_ptr<RecordingShared> shared)
        : MemoryTexture(width, height, levels, usage, format, pool), m_shared(std::move(shared)) {
        m_shared->liveBytes += TotalBytes();
    }
    ~RecordingTexture() override { m_shared->liveBytes -= TotalBytes(); }

    std::shared_ptr<Surface> GetSurfaceLevel(uint32_t level) override {
        if (level >= GetLevelCount()) return nullptr;
        return std::make_shared<RecordingSurface>(this, level, shared_from_this());
    }
    uint8_t* LevelBytes(uint32_t level, uint32_t* pitch) {
        *pitch = LevelPitchOf(level);
        return MemoryTexture::LevelBytes(level);
    }
    Result LockLevel(uint32_t level, LockedRect* out, uint32_t flags) { return LockRect(level, out, flags); }

private:
    Result LockRefusal() const override { return m_shared->lockResult; }

    std::shared_ptr<RecordingShared> m_shared;
};

SurfaceDesc RecordingSurface::GetDesc() const {
    return m_texture ? m_texture->GetLevelDesc(m_level) : m_desc;
}
Result RecordingSurface::LockRect(LockedRect* out, uint32_t flags) {
    if (m_texture) return m_texture->LockRect(m_level, out, flags);
    return Result::InvalidCall;  // the back buffer is not lockable
}
Result RecordingSurface::UnlockRect() {
    return m_texture ? m_texture->UnlockRect(m_level) : Result::InvalidCall;
}
uint8_t* RecordingSurface::Bytes(uint32_t* pitch) {
    if (m_texture) return m_texture->LevelBytes(m_level, pitch);
    *pitch = m_desc.width * 4;
    return m_own.data();
}

class RecordingVertexBuffer : public MemoryVertexBuffer {
public:
    RecordingVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                          std::shared_ptr<RecordingShared> shared)
        : MemoryVertexBuffer(length, usage, fvf, pool), m_shared(std::move(shared)) {
        m_shared->liveBytes += length;
    }
    ~RecordingVertexBuffer() override { m_shared->liveBytes -= GetLength(); }

private:
    Result LockRefusal() const override { return m_shared->lockResult; }
    // Discard hands out fresh contents: make the old ones visible as garbage.
    void Discarded(std::vector<uint8_t>& bytes) override {
        std::fill(bytes.begin(), bytes.end(), uint8_t(0xCD));
    }

    std::shared_ptr<RecordingShared> m_shared;
};

const char* StageStateName(StageState s) {
    switch (s) {
    case StageState::ColorOp: return "ColorOp";
    case StageState::ColorArg1: return "ColorArg1";
    case StageState::ColorArg2: return "ColorArg2";
    case StageState::AlphaOp: return "AlphaOp";
    case StageState::AlphaArg1: return "AlphaArg1";
    case StageState::AlphaArg2: return "AlphaArg2";
    }
    return "?";
}

const char* SamplerStateName(SamplerState s) {
    switch (s) {
    case SamplerState::AddressU: return "AddressU";
    case SamplerState::AddressV: return "AddressV";
    case SamplerState::MagFilter: return "MagFilter";
    case SamplerState::MinFilter: return "MinFilter";
    case SamplerState::MipFilter: return "MipFilter";
    }
    return "?";
}

const char* TransformName(TransformType t) {
    switch (t) {
    case TransformType::World: return "World";
    case TransformType::View: return "View";
    case TransformType::Projection: return "Projection";
    }
    return "?";
}

}  // namespace

const char* RenderStateName(RenderState s) {
    switch (s) {
    case RenderState::ZEnable: return "ZEnable";
    case RenderState::FillMode: return "FillMode";
    case RenderState::ShadeMode: return "ShadeMode";
    case RenderState::ZWriteEnable: return "ZWriteEnable";
    case RenderState::AlphaTestEnable: return "AlphaTestEnable";
    case RenderState::SrcBlend: return "SrcBlend";
    case RenderState::DestBlend: return "DestBlend";
    case RenderState::CullMode: return "CullMode";
    case RenderState::ZFunc: return "ZFunc";
    case RenderState::AlphaRef: return "AlphaRef";
    case RenderState::AlphaFunc: return "AlphaFunc";
    case RenderState::AlphaBlendEnable: return "AlphaBlendEnable";
    case RenderState::StencilEnable: return "StencilEnable";
    case RenderState::Clipping: return "Clipping";
    case RenderState::Lighting: return "Lighting";
    case RenderState::ColorWriteEnable: return "ColorWriteEnable";
    }
    return "?";
}

const char* PrimitiveTypeName(PrimitiveType t) {
    switch (t) {
    case PrimitiveType::PointList: return "PointList";
    case PrimitiveType::LineList: return "LineList";
    case PrimitiveType::LineStrip: return "LineStrip";
    case PrimitiveType::TriangleList: return "TriangleList";
    case PrimitiveType::TriangleStrip: return "TriangleStrip";
    case PrimitiveType::TriangleFan: return "TriangleFan";
    }
    return "?";
}

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

RecordingDevice::RecordingDevice(const PresentParameters& params) : DeviceFrontEnd(params) {
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
    const uint32_t* v = note.v;
    auto n = [](uint32_t value) { return std::to_string(value); };
    const char* object = note.object ? "texture" : "null";
    char buf[128];
    std::string text;
    switch (note.kind) {
    case CallKind::TestCooperativeLevel: text = "TestCooperativeLevel"; break;
    case CallKind::Reset: text = "Reset"; break;
    case CallKind::BeginScene: text = "BeginScene"; break;
    case CallKind::EndScene: text = "EndScene"; break;
    case CallKind::Present: text = "Present"; break;
    case CallKind::Clear:
        snprintf(buf, sizeof buf, "Clear(%u,%s,%g,%u)", v[0], Hex(v[1]).c_str(), double(note.z), v[2]);
        text = buf;
        break;
    case CallKind::SetRenderState:
        text = std::string("SetRenderState(") + RenderStateName(RenderState(v[0])) + "," + n(v[1]) + ")";
        break;
    case CallKind::SetTextureStageState:
        text =
            "SetTextureStageState(" + n(v[0]) + "," + StageStateName(StageState(v[1])) + "," + n(v[2]) + ")";
        break;
    case CallKind::SetSamplerState:
        text =
            "SetSamplerState(" + n(v[0]) + "," + SamplerStateName(SamplerState(v[1])) + "," + n(v[2]) + ")";
        break;
    case CallKind::SetTransform:
        text = std::string("SetTransform(") + TransformName(TransformType(v[0])) + ")";
        break;
    case CallKind::SetViewport:
        text = "SetViewport(" + n(v[0]) + "," + n(v[1]) + "," + n(v[2]) + "," + n(v[3]) + ")";
        break;
    case CallKind::SetMaterial: text = "SetMaterial"; break;
    case CallKind::SetTexture: text = "SetTexture(" + n(v[0]) + "," + object + ")"; break;
    case CallKind::SetFVF:
        snprintf(buf, sizeof buf, "SetFVF(0x%X)", v[0]);
        text = buf;
        break;
    case CallKind::SetNoShaders: text = "SetNoShaders"; break;
    case CallKind::SetStreamSource:
        text = "SetStreamSource(" + n(v[0]) + "," + (note.object ? "buffer" : "null") + "," + n(v[1]) + "," +
               n(v[2]) + ")";
        break;
    case CallKind::DrawPrimitive:
        text = std::string("DrawPrimitive(") + PrimitiveTypeName(PrimitiveType(v[0])) + "," + n(v[1]) + "," +
               n(v[2]) + ")";
        break;
    case CallKind::DrawPrimitiveUP:
        text = std::string("DrawPrimitiveUP(") + PrimitiveTypeName(PrimitiveType(v[0])) + "," + n(v[1]) + ")";
        break;
    case CallKind::CreateTexture:
        text = "CreateTexture(" + n(v[0]) + "," + n(v[1]) + "," + n(v[2]) + "," + n(v[3]) + "," + n(v[4]) +
               "," + n(v[5]) + ")";
        break;
    case CallKind::CreateVertexBuffer:
        snprintf(buf, sizeof buf, "CreateVertexBuffer(%u,%u,0x%X,%u)", v[0], v[1], v[2], v[3]);
        text = buf;
        break;
    case CallKind::SetRenderTarget:
        text = std::string("SetRenderTarget(") +
               (note.object == m_backBuffer.get() ? "backbuffer"
                : note.object                     ? "texture"
                                                  : "null") +
               ")";
        break;
    case CallKind::GetRenderTargetData: text = "GetRenderTargetData"; break;
    }
    calls.push_back({std::move(text), -1});
}

void RecordingDevice::DrawRefused() {
    calls.back().text += " invalid";
}

Result RecordingDevice::DriverReset(const PresentParameters& previous) {
    if (resetResult != Result::Ok) {
        m_params = previous;
        return resetResult;
    }
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

Result RecordingDevice::DriverCreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                            Format format, Pool pool, std::shared_ptr<Texture>* out) {
    if (createTextureResult != Result::Ok) return createTextureResult;
    *out = std::make_shared<RecordingTexture>(width, height, levels, usage, format, pool, m_shared);
    return Result::Ok;
}

Result RecordingDevice::DriverCreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                                 std::shared_ptr<VertexBuffer>* out) {
    if (createVertexBufferResult != Result::Ok) return createVertexBufferResult;
    *out = std::make_shared<RecordingVertexBuffer>(length, usage, fvf, pool, m_shared);
    return Result::Ok;
}

bool RecordingDevice::DriverOwnsRenderTarget(const Surface& surface) const {
    auto* s = dynamic_cast<const RecordingSurface*>(&surface);
    return s && s->Level() == 0;
}

Result RecordingDevice::DriverCopyRenderTarget(Surface* renderTarget, Surface* destination) {
    auto* source = dynamic_cast<RecordingSurface*>(renderTarget);
    auto* target = dynamic_cast<RecordingSurface*>(destination);
    if (!source || !target) return Result::InvalidCall;
    const SurfaceDesc s = source->GetDesc();
    uint32_t sp = 0, dp = 0;
    uint8_t* src = source->Bytes(&sp);
    uint8_t* dst = target->Bytes(&dp);
    for (uint32_t y = 0; y < LevelRows(s.format, s.height); ++y)
        memcpy(dst + size_t(y) * dp, src + size_t(y) * sp, std::min(sp, dp));
    return Result::Ok;
}

bool RecordingDevice::ReadRenderTarget(Image* out) {
    if (!out) return false;
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
    return m_shared->liveBytes >= textureMemoryBudget ? 0 : textureMemoryBudget - m_shared->liveBytes;
}

bool RecordingDriver::CheckDeviceType(uint32_t, Format displayFormat, Format backBufferFormat, bool) {
    return displayFormat == backBufferFormat && !refusedDisplayFormats.count(displayFormat);
}

bool RecordingDriver::CheckDepthStencilMatch(uint32_t, Format, Format depthFormat) {
    return !refusedDepthFormats.count(depthFormat);
}

bool RecordingDriver::CheckTextureFormat(uint32_t, Format, Format textureFormat) {
    return IsDeviceTextureFormat(textureFormat) && !refusedTextureFormats.count(textureFormat);
}

Result RecordingDriver::CreateDevice(uint32_t, void* focusWindow, uint32_t createFlags,
                                     PresentParameters* params, std::unique_ptr<Device>* out) {
    if (!params || !out) return Result::InvalidCall;
    size_t attempt = size_t(createCalls++);
    lastParams = *params;
    lastCreateFlags = createFlags;
    if (attempt < createResults.size() && createResults[attempt] != Result::Ok) return createResults[attempt];
    if (!focusWindow) return Result::InvalidCall;
    auto device = std::make_unique<RecordingDevice>(*params);
    device->refusedTextureFormats = refusedTextureFormats;
    lastDevice = device.get();
    *out = std::move(device);
    return Result::Ok;
}

}  // namespace gfx
