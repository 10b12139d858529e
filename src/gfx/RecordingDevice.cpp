// The recording test device: memory-backed textures and buffers, every call kept as text, draws kept with
// their vertices and the states they were drawn with.
#include "gfx/RecordingDevice.h"

#include <algorithm>
#include <cstring>

#include "gfx/MemoryTexture.h"

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

class RecordingVertexBuffer : public VertexBuffer {
public:
    RecordingVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                          std::shared_ptr<RecordingShared> shared)
        : m_bytes(length, 0), m_usage(usage), m_fvf(fvf), m_pool(pool), m_shared(std::move(shared)) {
        m_shared->liveBytes += length;
    }
    ~RecordingVertexBuffer() override { m_shared->liveBytes -= m_bytes.size(); }
    uint32_t GetLength() const override { return uint32_t(m_bytes.size()); }
    uint32_t GetUsage() const override { return m_usage; }
    uint32_t GetFvf() const override { return m_fvf; }
    Pool GetPool() const override { return m_pool; }
    Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
        if (!data || m_locked || offset > m_bytes.size()) return Result::InvalidCall;
        if (size != 0 && size > m_bytes.size() - offset) return Result::InvalidCall;
        if (m_shared->lockResult != Result::Ok) return m_shared->lockResult;
        // Discard hands out fresh contents: make the old ones visible as garbage.
        if (flags & kLockDiscard) std::fill(m_bytes.begin(), m_bytes.end(), uint8_t(0xCD));
        m_locked = true;
        *data = m_bytes.data() + offset;
        return Result::Ok;
    }
    Result Unlock() override {
        if (!m_locked) return Result::InvalidCall;
        m_locked = false;
        return Result::Ok;
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_usage, m_fvf;
    Pool m_pool;
    bool m_locked = false;
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

RecordingDevice::RecordingDevice(const PresentParameters& params)
    : StateKeepingDevice(params), presentParameters(params) {
    m_backBuffer = std::make_shared<RecordingSurface>(params.backBufferWidth, params.backBufferHeight,
                                                      params.backBufferFormat);
    m_renderTarget = m_backBuffer;
}

RecordingDevice::~RecordingDevice() = default;

void RecordingDevice::Record(std::string text, int drawIndex) {
    calls.push_back({std::move(text), drawIndex});
}

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

Result RecordingDevice::TestCooperativeLevel() {
    Record("TestCooperativeLevel");
    return cooperativeLevel;
}

Result RecordingDevice::Reset(const PresentParameters& params) {
    Record("Reset");
    if (resetResult != Result::Ok) return resetResult;
    presentParameters = params;
    cooperativeLevel = Result::Ok;
    return Result::Ok;
}

Result RecordingDevice::BeginScene() {
    Record("BeginScene");
    if (inScene) return Result::InvalidCall;
    if (beginSceneResult != Result::Ok) return beginSceneResult;
    inScene = true;
    return Result::Ok;
}

Result RecordingDevice::EndScene() {
    Record("EndScene");
    if (!inScene) return Result::InvalidCall;
    inScene = false;
    return Result::Ok;
}

Result RecordingDevice::Present() {
    Record("Present");
    return cooperativeLevel == Result::Ok ? Result::Ok : Result::DeviceLost;
}

Result RecordingDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
    char buf[96];
    snprintf(buf, sizeof buf, "Clear(%u,%s,%g,%u)", flags, Hex(colour).c_str(), double(z), stencil);
    Record(buf);
    if ((flags & kClearStencil) && !HasStencil(presentParameters.autoDepthStencilFormat))
        return Result::InvalidCall;
    if (flags & kClearTarget) {
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
    return Result::Ok;
}

void RecordingDevice::SetRenderState(RenderState state, uint32_t value) {
    Record(std::string("SetRenderState(") + RenderStateName(state) + "," + std::to_string(value) + ")");
    StateKeepingDevice::SetRenderState(state, value);
}

void RecordingDevice::SetTextureStageState(uint32_t stage, StageState state, uint32_t value) {
    Record("SetTextureStageState(" + std::to_string(stage) + "," + StageStateName(state) + "," +
           std::to_string(value) + ")");
    StateKeepingDevice::SetTextureStageState(stage, state, value);
}

void RecordingDevice::SetSamplerState(uint32_t sampler, SamplerState state, uint32_t value) {
    Record("SetSamplerState(" + std::to_string(sampler) + "," + SamplerStateName(state) + "," +
           std::to_string(value) + ")");
    StateKeepingDevice::SetSamplerState(sampler, state, value);
}

void RecordingDevice::SetTransform(TransformType type, const Matrix& m) {
    Record(std::string("SetTransform(") + TransformName(type) + ")");
    StateKeepingDevice::SetTransform(type, m);
}

void RecordingDevice::SetViewport(const Viewport& vp) {
    Record("SetViewport(" + std::to_string(vp.x) + "," + std::to_string(vp.y) + "," +
           std::to_string(vp.width) + "," + std::to_string(vp.height) + ")");
    StateKeepingDevice::SetViewport(vp);
}

void RecordingDevice::SetMaterial(const Material& m) {
    Record("SetMaterial");
    material = m;
}

void RecordingDevice::SetTexture(uint32_t stage, std::shared_ptr<Texture> texture) {
    Record("SetTexture(" + std::to_string(stage) + "," + (texture ? "texture" : "null") + ")");
    StateKeepingDevice::SetTexture(stage, std::move(texture));
}

void RecordingDevice::SetFVF(uint32_t fvf) {
    char buf[32];
    snprintf(buf, sizeof buf, "SetFVF(0x%X)", fvf);
    Record(buf);
    StateKeepingDevice::SetFVF(fvf);
}

void RecordingDevice::SetNoShaders() {
    Record("SetNoShaders");
}

void RecordingDevice::SetStreamSource(uint32_t stream, std::shared_ptr<VertexBuffer> buffer, uint32_t offset,
                                      uint32_t stride) {
    Record("SetStreamSource(" + std::to_string(stream) + "," + (buffer ? "buffer" : "null") + "," +
           std::to_string(offset) + "," + std::to_string(stride) + ")");
    StateKeepingDevice::SetStreamSource(stream, std::move(buffer), offset, stride);
}

RecordedDraw RecordingDevice::Snapshot(PrimitiveType type, uint32_t count) const {
    RecordedDraw d;
    d.type = type;
    d.primitiveCount = count;
    d.fvf = m_fvf;
    d.texture = m_textures[0];
    d.renderStates = m_renderStates;
    d.world = m_world;
    d.view = m_view;
    d.projection = m_projection;
    d.renderTarget = m_renderTarget;
    return d;
}

Result RecordingDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
    std::string text = std::string("DrawPrimitive(") + PrimitiveTypeName(type) + "," +
                       std::to_string(startVertex) + "," + std::to_string(primitiveCount) + ")";
    auto* vb = static_cast<RecordingVertexBuffer*>(m_stream.get());
    uint32_t n = VertexCountOf(type, primitiveCount);
    size_t begin = m_streamOffset + size_t(startVertex) * m_streamStride;
    size_t bytes = size_t(n) * m_streamStride;
    if (!inScene || !vb || m_streamStride == 0 || begin + bytes > vb->Bytes().size()) {
        Record(text + " invalid");
        return Result::InvalidCall;
    }
    RecordedDraw d = Snapshot(type, primitiveCount);
    d.startVertex = startVertex;
    d.stride = m_streamStride;
    d.vertexBytes.assign(vb->Bytes().begin() + long(begin), vb->Bytes().begin() + long(begin + bytes));
    draws.push_back(std::move(d));
    Record(text, int(draws.size() - 1));
    return Result::Ok;
}

Result RecordingDevice::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                        uint32_t stride) {
    std::string text = std::string("DrawPrimitiveUP(") + PrimitiveTypeName(type) + "," +
                       std::to_string(primitiveCount) + ")";
    if (!inScene || !vertices || stride == 0) {
        Record(text + " invalid");
        return Result::InvalidCall;
    }
    RecordedDraw d = Snapshot(type, primitiveCount);
    d.fromMemory = true;
    d.stride = stride;
    const auto* p = static_cast<const uint8_t*>(vertices);
    d.vertexBytes.assign(p, p + size_t(VertexCountOf(type, primitiveCount)) * stride);
    draws.push_back(std::move(d));
    Record(text, int(draws.size() - 1));
    m_stream.reset();
    m_streamOffset = m_streamStride = 0;
    return Result::Ok;
}

Result RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                      Format format, Pool pool, std::shared_ptr<Texture>* out) {
    Record("CreateTexture(" + std::to_string(width) + "," + std::to_string(height) + "," +
           std::to_string(levels) + "," + std::to_string(usage) + "," + std::to_string(format) + "," +
           std::to_string(uint32_t(pool)) + ")");
    if (!out) return Result::InvalidCall;
    out->reset();
    if (createTextureResult != Result::Ok) return createTextureResult;
    if (width == 0 || height == 0 || width > 8192 || height > 8192) return Result::InvalidCall;
    if (LevelPitch(format, 1) == 0 || refusedTextureFormats.count(format)) return Result::NotAvailable;
    uint32_t maxLevels = 1;
    while ((std::max(width, height) >> maxLevels) != 0) ++maxLevels;
    if (levels == 0 || levels > maxLevels) levels = maxLevels;
    *out = std::make_shared<RecordingTexture>(width, height, levels, usage, format, pool, m_shared);
    return Result::Ok;
}

Result RecordingDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                           std::shared_ptr<VertexBuffer>* out) {
    char buf[96];
    snprintf(buf, sizeof buf, "CreateVertexBuffer(%u,%u,0x%X,%u)", length, usage, fvf, uint32_t(pool));
    Record(buf);
    if (!out) return Result::InvalidCall;
    out->reset();
    if (createVertexBufferResult != Result::Ok) return createVertexBufferResult;
    if (length == 0 || length > (256u << 20)) return Result::InvalidCall;
    *out = std::make_shared<RecordingVertexBuffer>(length, usage, fvf, pool, m_shared);
    return Result::Ok;
}

bool RecordingDevice::CheckTextureFormat(Format format, uint32_t) const {
    return LevelPitch(format, 1) != 0 && !refusedTextureFormats.count(format);
}

std::shared_ptr<Surface> RecordingDevice::GetRenderTarget() {
    return m_renderTarget;
}

Result RecordingDevice::SetRenderTarget(std::shared_ptr<Surface> target) {
    Record(std::string("SetRenderTarget(") +
           (target == m_backBuffer ? "backbuffer"
            : target               ? "texture"
                                   : "null") +
           ")");
    if (!target || !(target->GetDesc().usage & kUsageRenderTarget)) return Result::InvalidCall;
    m_renderTarget = std::move(target);
    // As on Direct3D, a new render target gets a viewport covering it.
    SurfaceDesc d = m_renderTarget->GetDesc();
    m_viewport = {0, 0, d.width, d.height, 0.0f, 1.0f};
    return Result::Ok;
}

Result RecordingDevice::GetRenderTargetData(Surface* renderTarget, Surface* destination) {
    Record("GetRenderTargetData");
    if (!renderTarget || !destination) return Result::InvalidCall;
    SurfaceDesc s = renderTarget->GetDesc(), d = destination->GetDesc();
    if (s.width != d.width || s.height != d.height || s.format != d.format || d.pool != Pool::SystemMem)
        return Result::InvalidCall;
    uint32_t sp = 0, dp = 0;
    uint8_t* src = static_cast<RecordingSurface*>(renderTarget)->Bytes(&sp);
    uint8_t* dst = static_cast<RecordingSurface*>(destination)->Bytes(&dp);
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
    return LevelPitch(textureFormat, 1) != 0 && !refusedTextureFormats.count(textureFormat);
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
