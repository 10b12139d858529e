// The OpenGL 3.3 core device: frames are drawn into an off-screen framebuffer with Direct3D's conventions
// (top row first, depth 0..1, pixel centres on integers) and copied, flipped, to the window at present.
// One shader program stands in for the fixed-function states the program uses.
#include "gfx/GlDevice.h"

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gfx/MemoryTexture.h"
#include "gfx/StateKeepingDevice.h"

namespace gfx {

namespace {

std::string lastContextError;

// Shared by the device and its resources, which may outlive it: GL objects are deleted only while the
// context lives.
struct ContextToken {
    bool alive = true;
    uint64_t liveBytes = 0;  // bytes of live textures and buffers
};
using Token = std::shared_ptr<ContextToken>;

struct GlFormat {
    GLenum internal = 0, format = 0, type = 0;
    bool compressed = false;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};

bool MapFormat(Format f, GlFormat* out) {
    GlFormat g;
    switch (f) {
    case fmt::A8R8G8B8: g = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE}; break;
    case fmt::X8R8G8B8:
        g = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE};
        g.swizzle[3] = GL_ONE;
        break;
    case fmt::R5G6B5: g = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5}; break;
    case fmt::X1R5G5B5:
        g = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        g.swizzle[3] = GL_ONE;
        break;
    case fmt::A1R5G5B5: g = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV}; break;
    case fmt::A4R4G4B4: g = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV}; break;
    case fmt::A8:
        g = {GL_R8, GL_RED, GL_UNSIGNED_BYTE};
        g.swizzle[0] = g.swizzle[1] = g.swizzle[2] = GL_ZERO;
        g.swizzle[3] = GL_RED;
        break;
    case fmt::L8:
        g = {GL_R8, GL_RED, GL_UNSIGNED_BYTE};
        g.swizzle[1] = g.swizzle[2] = GL_RED;
        g.swizzle[3] = GL_ONE;
        break;
    case fmt::DXT1: g = {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true}; break;
    case fmt::DXT2:
    case fmt::DXT3: g = {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true}; break;
    case fmt::DXT4:
    case fmt::DXT5: g = {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true}; break;
    default: return false;
    }
    *out = g;
    return true;
}

bool ContextCurrent() {
    return SDL_GL_GetCurrentContext() != nullptr;
}

bool FormatUsable(Format f) {
    GlFormat g;
    if (!MapFormat(f, &g)) return false;
    if (g.compressed && ContextCurrent())
        return epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc") ||
               epoxy_has_gl_extension("GL_ANGLE_texture_compression_dxt5");
    return true;
}

class GlTexture;

class GlSurface : public Surface {
public:
    GlSurface(std::shared_ptr<GlTexture> texture, uint32_t level)
        : m_texture(std::move(texture)), m_level(level) {}
    GlSurface(uint32_t width, uint32_t height, Format format) {
        m_desc = {format, kUsageRenderTarget, Pool::Default, width, height};
    }
    SurfaceDesc GetDesc() const override;
    Result LockRect(LockedRect* out, uint32_t flags) override;
    Result UnlockRect() override;
    GlTexture* texture() const { return m_texture.get(); }
    uint32_t level() const { return m_level; }

private:
    std::shared_ptr<GlTexture> m_texture;  // null: the back buffer
    uint32_t m_level = 0;
    SurfaceDesc m_desc;
};

class GlTexture : public MemoryTexture, public std::enable_shared_from_this<GlTexture> {
public:
    GlTexture(Token token, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
              Pool pool, const GlFormat& gl)
        : MemoryTexture(width, height, levels, usage, format, pool), m_token(std::move(token)), m_gl(gl) {
        m_token->liveBytes += TotalBytes();
        if (pool == Pool::SystemMem) return;  // lives in memory only
        glGenTextures(1, &m_id);
        glBindTexture(GL_TEXTURE_2D, m_id);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (uint32_t i = 0; i < levels; ++i) Upload(i);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels) - 1);
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, m_gl.swizzle);
    }
    ~GlTexture() override {
        m_token->liveBytes -= TotalBytes();
        if (!m_token->alive) return;
        if (m_fbo) glDeleteFramebuffers(1, &m_fbo);
        if (m_id) glDeleteTextures(1, &m_id);
    }

    std::shared_ptr<Surface> GetSurfaceLevel(uint32_t level) override {
        if (level >= GetLevelCount()) return nullptr;
        return std::make_shared<GlSurface>(shared_from_this(), level);
    }

    GLuint id() const { return m_id; }
    // A framebuffer drawing into level 0 (made on first use) with the device's depth buffer.
    GLuint Framebuffer(GLuint depthBuffer, GLenum depthAttachment) {
        if (!m_fbo) {
            glGenFramebuffers(1, &m_fbo);
            glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_id, 0);
            if (depthBuffer)
                glFramebufferRenderbuffer(GL_FRAMEBUFFER, depthAttachment, GL_RENDERBUFFER, depthBuffer);
        }
        return m_fbo;
    }

private:
    void LevelUnlocked(uint32_t level, bool written) override {
        if (m_id && written && m_token->alive) {
            glBindTexture(GL_TEXTURE_2D, m_id);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            Upload(level);
        }
    }

    void Upload(uint32_t level) {
        const SurfaceDesc desc = GetLevelDesc(level);
        const GLsizei bytes = GLsizei(size_t(LevelPitchOf(level)) * LevelRows(desc.format, desc.height));
        if (m_gl.compressed)
            glCompressedTexImage2D(GL_TEXTURE_2D, GLint(level), m_gl.internal, GLsizei(desc.width),
                                   GLsizei(desc.height), 0, bytes, LevelBytes(level));
        else
            glTexImage2D(GL_TEXTURE_2D, GLint(level), GLint(m_gl.internal), GLsizei(desc.width),
                         GLsizei(desc.height), 0, m_gl.format, m_gl.type, LevelBytes(level));
    }

    Token m_token;
    GlFormat m_gl;
    GLuint m_id = 0;
    GLuint m_fbo = 0;
};

SurfaceDesc GlSurface::GetDesc() const {
    return m_texture ? m_texture->GetLevelDesc(m_level) : m_desc;
}
Result GlSurface::LockRect(LockedRect* out, uint32_t flags) {
    return m_texture ? m_texture->LockRect(m_level, out, flags) : Result::InvalidCall;
}
Result GlSurface::UnlockRect() {
    return m_texture ? m_texture->UnlockRect(m_level) : Result::InvalidCall;
}

class GlVertexBuffer : public VertexBuffer {
public:
    GlVertexBuffer(Token token, uint32_t length, uint32_t usage, uint32_t fvf, Pool pool)
        : m_token(std::move(token)), m_bytes(length, 0), m_usage(usage), m_fvf(fvf), m_pool(pool) {
        m_token->liveBytes += length;
        glGenBuffers(1, &m_id);
        glBindBuffer(GL_ARRAY_BUFFER, m_id);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(length), m_bytes.data(),
                     (usage & kUsageDynamic) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    }
    ~GlVertexBuffer() override {
        m_token->liveBytes -= m_bytes.size();
        if (m_token->alive) glDeleteBuffers(1, &m_id);
    }
    uint32_t GetLength() const override { return uint32_t(m_bytes.size()); }
    uint32_t GetUsage() const override { return m_usage; }
    uint32_t GetFvf() const override { return m_fvf; }
    Pool GetPool() const override { return m_pool; }
    Result Lock(uint32_t offset, uint32_t size, void** data, uint32_t) override {
        if (!data || m_locked || offset > m_bytes.size()) return Result::InvalidCall;
        if (size == 0) size = uint32_t(m_bytes.size()) - offset;
        if (size > m_bytes.size() - offset) return Result::InvalidCall;
        m_locked = true;
        m_lockOffset = offset;
        m_lockSize = size;
        *data = m_bytes.data() + offset;
        return Result::Ok;
    }
    Result Unlock() override {
        if (!m_locked) return Result::InvalidCall;
        m_locked = false;
        if (m_token->alive && m_lockSize) {
            glBindBuffer(GL_ARRAY_BUFFER, m_id);
            glBufferSubData(GL_ARRAY_BUFFER, GLintptr(m_lockOffset), GLsizeiptr(m_lockSize),
                            m_bytes.data() + m_lockOffset);
        }
        return Result::Ok;
    }
    GLuint id() const { return m_id; }

private:
    Token m_token;
    std::vector<uint8_t> m_bytes;
    uint32_t m_usage, m_fvf;
    Pool m_pool;
    GLuint m_id = 0;
    bool m_locked = false;
    uint32_t m_lockOffset = 0, m_lockSize = 0;
};

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
uniform bool uPretransformed;
uniform mat4 uWorldViewProjection;
uniform vec4 uViewport;  // x, y, width, height
uniform bool uLighting;
uniform vec3 uEmissive;  // the material's emissive colour
out vec4 vColour;
flat out vec4 vFlatColour;
out vec2 vUv;
void main() {
    if (uPretransformed) {
        // Pixel coordinates with pixel centres on integers; rhw gives perspective-correct interpolation.
        float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
        vec3 ndc = vec3(2.0 * (aPosition.x + 0.5 - uViewport.x) / uViewport.z - 1.0,
                        1.0 - 2.0 * (aPosition.y + 0.5 - uViewport.y) / uViewport.w, aPosition.z);
        gl_Position = vec4(ndc * w, w);
    } else {
        gl_Position = uWorldViewProjection * vec4(aPosition.xyz, 1.0);
        gl_Position.x += gl_Position.w / uViewport.z;
        gl_Position.y -= gl_Position.w / uViewport.w;
    }
    // Lighting with no lights leaves the emissive material colour and the vertex alpha; pre-transformed
    // vertices are never lit.
    vec4 colour = aColour;
    if (uLighting && !uPretransformed) colour = vec4(uEmissive, aColour.a);
    vColour = colour;
    vFlatColour = colour;
    vUv = aUv;
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColour;
flat in vec4 vFlatColour;  // the first vertex's colour of the triangle
in vec2 vUv;
uniform bool uFlat;
uniform sampler2D uTexture;
uniform bool uHasTexture;
uniform int uColourOp;   // 1 disable, 2 texture, 3 diffuse, 4 modulate
uniform int uAlphaOp;
uniform bool uAlphaTest;
uniform int uAlphaFunc;  // Direct3D comparison
uniform int uAlphaRef;   // 0..255
out vec4 fragColour;
bool Compare(int f, int a, int r) {
    if (f == 1) return false;
    if (f == 2) return a < r;
    if (f == 3) return a == r;
    if (f == 4) return a <= r;
    if (f == 5) return a > r;
    if (f == 6) return a != r;
    if (f == 7) return a >= r;
    return true;
}
vec4 Combine(int op, vec4 t, vec4 d) {
    if (op == 2) return t;
    if (op == 4) return t * d;
    return d;
}
void main() {
    vec4 d = uFlat ? vFlatColour : vColour;
    // A stage that reads a texture with none bound passes the diffuse colour through.
    vec4 c = d;
    if (uHasTexture) {
        vec4 t = texture(uTexture, vUv);
        c = vec4(Combine(uColourOp, t, d).rgb, Combine(uAlphaOp, t, d).a);
    }
    if (uAlphaTest && !Compare(uAlphaFunc, int(c.a * 255.0 + 0.5), uAlphaRef)) discard;
    fragColour = c;
}
)";

GLuint Compile(GLenum kind, const char* source, std::string* error) {
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        *error = log;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

GLenum BlendFactor(uint32_t b) {
    switch (b) {
    case blend::Zero: return GL_ZERO;
    case blend::One: return GL_ONE;
    case blend::SrcColor: return GL_SRC_COLOR;
    case blend::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case blend::SrcAlpha: return GL_SRC_ALPHA;
    case blend::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    default: return GL_ONE;
    }
}

GLenum CompareFunc(uint32_t c) {
    switch (c) {
    case cmp::Never: return GL_NEVER;
    case cmp::Less: return GL_LESS;
    case cmp::Equal: return GL_EQUAL;
    case cmp::LessEqual: return GL_LEQUAL;
    case cmp::Greater: return GL_GREATER;
    case cmp::NotEqual: return GL_NOTEQUAL;
    case cmp::GreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum PrimitiveMode(PrimitiveType t) {
    switch (t) {
    case PrimitiveType::PointList: return GL_POINTS;
    case PrimitiveType::LineList: return GL_LINES;
    case PrimitiveType::LineStrip: return GL_LINE_STRIP;
    case PrimitiveType::TriangleList: return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;
}

bool DepthFormatOf(Format f, GLenum* internal, GLenum* attachment) {
    switch (f) {
    case fmt::D16:
        *internal = GL_DEPTH_COMPONENT16;
        *attachment = GL_DEPTH_ATTACHMENT;
        return true;
    case fmt::D24X8:
        *internal = GL_DEPTH_COMPONENT24;
        *attachment = GL_DEPTH_ATTACHMENT;
        return true;
    case fmt::D24S8:
        *internal = GL_DEPTH24_STENCIL8;
        *attachment = GL_DEPTH_STENCIL_ATTACHMENT;
        return true;
    default: return false;
    }
}

class GlDevice : public StateKeepingDevice {
public:
    GlDevice(SDL_Window* window, SDL_GLContext context, const PresentParameters& params)
        : StateKeepingDevice(params),
          m_window(window),
          m_context(context),
          m_params(params),
          m_token(std::make_shared<ContextToken>()) {
        m_backBuffer = std::make_shared<GlSurface>(params.backBufferWidth, params.backBufferHeight,
                                                   params.backBufferFormat);
        m_renderTarget = m_backBuffer;
    }

    ~GlDevice() override {
        m_token->alive = false;
        // The objects go with the context; they are deleted one by one only while it can be made current.
        if (SDL_GL_MakeCurrent(m_window, m_context) == 0 || SDL_GL_GetCurrentContext() == m_context) {
            if (m_program) glDeleteProgram(m_program);
            if (m_vao) glDeleteVertexArrays(1, &m_vao);
            if (m_streamBuffer) glDeleteBuffers(1, &m_streamBuffer);
            if (m_sampler) glDeleteSamplers(1, &m_sampler);
            DeleteFrameBuffer();
        }
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(m_context);
    }

    // Builds the framebuffer, shader and vertex state. False with a reason.
    bool Start(std::string* error) {
        if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) {
            *error = "clip control (OpenGL 4.5 or GL_ARB_clip_control) is not available";
            return false;
        }
        glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
        if (!MakeFrameBuffer(error)) return false;
        GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, error);
        GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, kFragmentShader, error) : 0;
        if (!vs || !fs) return false;
        m_program = glCreateProgram();
        glAttachShader(m_program, vs);
        glAttachShader(m_program, fs);
        glLinkProgram(m_program);
        glDeleteShader(vs);
        glDeleteShader(fs);
        GLint ok = 0;
        glGetProgramiv(m_program, GL_LINK_STATUS, &ok);
        if (!ok) {
            *error = "the fixed-function shader does not link";
            return false;
        }
        glUseProgram(m_program);
        m_uPretransformed = glGetUniformLocation(m_program, "uPretransformed");
        m_uWorldViewProjection = glGetUniformLocation(m_program, "uWorldViewProjection");
        m_uViewport = glGetUniformLocation(m_program, "uViewport");
        m_uHasTexture = glGetUniformLocation(m_program, "uHasTexture");
        m_uColourOp = glGetUniformLocation(m_program, "uColourOp");
        m_uAlphaOp = glGetUniformLocation(m_program, "uAlphaOp");
        m_uAlphaTest = glGetUniformLocation(m_program, "uAlphaTest");
        m_uAlphaFunc = glGetUniformLocation(m_program, "uAlphaFunc");
        m_uAlphaRef = glGetUniformLocation(m_program, "uAlphaRef");
        m_uLighting = glGetUniformLocation(m_program, "uLighting");
        m_uEmissive = glGetUniformLocation(m_program, "uEmissive");
        m_uFlat = glGetUniformLocation(m_program, "uFlat");
        // Flat shading takes the colour of a triangle's first vertex, as Direct3D does.
        glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
        glUniform1i(glGetUniformLocation(m_program, "uTexture"), 0);
        glGenVertexArrays(1, &m_vao);
        glBindVertexArray(m_vao);
        glGenBuffers(1, &m_streamBuffer);
        glGenSamplers(1, &m_sampler);
        glBindSampler(0, m_sampler);
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glEnableVertexAttribArray(2);
        SDL_GL_SetSwapInterval(m_params.vsync ? 1 : 0);
        BindRenderTarget();
        return true;
    }

    void ForceCooperativeLevel(Result level) { m_forcedLevel = level; }

    Result TestCooperativeLevel() override { return m_forcedLevel; }

    Result Reset(const PresentParameters& params) override {
        if (m_forcedLevel == Result::DeviceLost) return Result::DeviceLost;
        if (params.backBufferWidth != m_params.backBufferWidth ||
            params.backBufferHeight != m_params.backBufferHeight ||
            params.autoDepthStencilFormat != m_params.autoDepthStencilFormat) {
            m_params = params;
            std::string error;
            DeleteFrameBuffer();
            if (!MakeFrameBuffer(&error)) return Result::OutOfVideoMemory;
            m_backBuffer = std::make_shared<GlSurface>(params.backBufferWidth, params.backBufferHeight,
                                                       params.backBufferFormat);
        }
        m_params = params;
        SDL_GL_SetSwapInterval(m_params.vsync ? 1 : 0);
        m_renderTarget = m_backBuffer;
        m_viewport = {0, 0, params.backBufferWidth, params.backBufferHeight, 0.0f, 1.0f};
        BindRenderTarget();
        m_forcedLevel = Result::Ok;
        return Result::Ok;
    }

    Result BeginScene() override {
        if (m_inScene) return Result::InvalidCall;
        m_inScene = true;
        return Result::Ok;
    }
    Result EndScene() override {
        if (!m_inScene) return Result::InvalidCall;
        m_inScene = false;
        return Result::Ok;
    }

    Result Present() override {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(m_window, &w, &h);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        // The frame's row 0 is its top row; the window's row 0 is its bottom row.
        glBlitFramebuffer(0, 0, GLint(m_params.backBufferWidth), GLint(m_params.backBufferHeight), 0, h, w, 0,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(m_window);
        BindRenderTarget();
        return m_forcedLevel == Result::Ok ? Result::Ok : Result::DeviceLost;
    }

    Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override {
        if ((flags & kClearStencil) && !HasStencil(m_params.autoDepthStencilFormat))
            return Result::InvalidCall;
        GLbitfield mask = 0;
        if (flags & kClearTarget) {
            glClearColor(float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                         float(colour & 0xFF) / 255.0f, float(colour >> 24) / 255.0f);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if (flags & kClearZBuffer) {
            glClearDepth(z);
            glDepthMask(GL_TRUE);  // Direct3D clears regardless of the depth-write state
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        if (flags & kClearStencil) {
            glClearStencil(GLint(stencil));
            glStencilMask(0xFF);
            mask |= GL_STENCIL_BUFFER_BIT;
        }
        // Direct3D clears the viewport's rectangle.
        glEnable(GL_SCISSOR_TEST);
        glScissor(GLint(m_viewport.x), GLint(m_viewport.y), GLsizei(m_viewport.width),
                  GLsizei(m_viewport.height));
        glClear(mask);
        glDisable(GL_SCISSOR_TEST);
        return Result::Ok;
    }

    void SetMaterial(const Material& m) override { m_material = m; }

    void SetNoShaders() override {}

    Result DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override {
        auto* vb = static_cast<GlVertexBuffer*>(m_stream.get());
        uint32_t n = VertexCountOf(type, primitiveCount);
        if (!vb || m_streamStride == 0 || StrideOfFvf(m_fvf) == 0 || m_streamStride < StrideOfFvf(m_fvf))
            return Result::InvalidCall;
        uint64_t end = m_streamOffset + (uint64_t(startVertex) + n) * m_streamStride;
        if (end > vb->GetLength()) return Result::InvalidCall;
        if (n == 0) return Result::Ok;
        glBindBuffer(GL_ARRAY_BUFFER, vb->id());
        Draw(type, m_streamOffset, m_streamStride, startVertex, n);
        return Result::Ok;
    }

    Result DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                           uint32_t stride) override {
        uint32_t n = VertexCountOf(type, primitiveCount);
        if (!vertices || stride == 0 || StrideOfFvf(m_fvf) == 0 || stride < StrideOfFvf(m_fvf))
            return Result::InvalidCall;
        m_stream.reset();
        m_streamOffset = m_streamStride = 0;
        if (n == 0) return Result::Ok;
        glBindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(n) * stride), vertices, GL_STREAM_DRAW);
        Draw(type, 0, stride, 0, n);
        return Result::Ok;
    }

    Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                         Pool pool, std::shared_ptr<Texture>* out) override {
        if (!out) return Result::InvalidCall;
        out->reset();
        GLint maxSize = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        if (width == 0 || height == 0 || width > uint32_t(maxSize) || height > uint32_t(maxSize))
            return Result::InvalidCall;
        GlFormat gl;
        if (!MapFormat(format, &gl) || !FormatUsable(format)) return Result::NotAvailable;
        if ((usage & kUsageRenderTarget) && (pool != Pool::Default || BytesPerPixel(format) != 4))
            return Result::InvalidCall;
        uint32_t maxLevels = 1;
        while ((std::max(width, height) >> maxLevels) != 0) ++maxLevels;
        if (levels == 0 || levels > maxLevels) levels = maxLevels;
        while (glGetError() != GL_NO_ERROR) {
        }
        auto texture = std::make_shared<GlTexture>(m_token, width, height, levels, usage, format, pool, gl);
        GLenum error = glGetError();
        if (error == GL_OUT_OF_MEMORY) return Result::OutOfVideoMemory;
        if (error != GL_NO_ERROR) return Result::NotAvailable;
        *out = std::move(texture);
        return Result::Ok;
    }

    Result CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                              std::shared_ptr<VertexBuffer>* out) override {
        if (!out) return Result::InvalidCall;
        out->reset();
        if (length == 0 || length > (256u << 20)) return Result::InvalidCall;
        while (glGetError() != GL_NO_ERROR) {
        }
        auto buffer = std::make_shared<GlVertexBuffer>(m_token, length, usage, fvf, pool);
        if (glGetError() == GL_OUT_OF_MEMORY) return Result::OutOfVideoMemory;
        *out = std::move(buffer);
        return Result::Ok;
    }

    bool CheckTextureFormat(Format format, uint32_t) const override { return FormatUsable(format); }

    std::shared_ptr<Surface> GetRenderTarget() override { return m_renderTarget; }

    Result SetRenderTarget(std::shared_ptr<Surface> target) override {
        auto* surface = dynamic_cast<GlSurface*>(target.get());
        if (!surface || !(surface->GetDesc().usage & kUsageRenderTarget) || surface->level() != 0)
            return Result::InvalidCall;
        m_renderTarget = std::move(target);
        SurfaceDesc d = m_renderTarget->GetDesc();
        // As on Direct3D, a new render target gets a viewport covering it.
        m_viewport = {0, 0, d.width, d.height, 0.0f, 1.0f};
        BindRenderTarget();
        return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE ? Result::Ok
                                                                                   : Result::Fail;
    }

    Result GetRenderTargetData(Surface* renderTarget, Surface* destination) override {
        auto* source = dynamic_cast<GlSurface*>(renderTarget);
        auto* target = dynamic_cast<GlSurface*>(destination);
        if (!source || !target || !target->texture()) return Result::InvalidCall;
        SurfaceDesc s = source->GetDesc(), d = target->GetDesc();
        if (s.width != d.width || s.height != d.height || BytesPerPixel(d.format) != 4 ||
            d.pool != Pool::SystemMem || !(s.usage & kUsageRenderTarget))
            return Result::InvalidCall;
        GLuint fbo = FramebufferOf(source);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ROW_LENGTH, GLint(target->texture()->LevelPitchOf(target->level()) / 4));
        glReadPixels(0, 0, GLsizei(s.width), GLsizei(s.height), GL_BGRA, GL_UNSIGNED_BYTE,
                     target->texture()->LevelBytes(target->level()));
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        BindRenderTarget();
        return Result::Ok;
    }

    bool ReadRenderTarget(Image* out) override {
        if (!out) return false;
        SurfaceDesc d = m_renderTarget->GetDesc();
        out->width = d.width;
        out->height = d.height;
        out->pixels.assign(size_t(d.width) * d.height, 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, FramebufferOf(static_cast<GlSurface*>(m_renderTarget.get())));
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, GLsizei(d.width), GLsizei(d.height), GL_BGRA, GL_UNSIGNED_BYTE,
                     out->pixels.data());
        BindRenderTarget();
        return true;
    }

    uint64_t GetAvailableTextureMem() const override {
        GLint kb[4] = {};
        if (epoxy_has_gl_extension("GL_NVX_gpu_memory_info")) {
            glGetIntegerv(GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX, kb);
            return uint64_t(kb[0]) * 1024;
        }
        if (epoxy_has_gl_extension("GL_ATI_meminfo")) {
            glGetIntegerv(GL_TEXTURE_FREE_MEMORY_ATI, kb);
            return uint64_t(kb[0]) * 1024;
        }
        // A renderer in system memory: the machine's memory less what this device holds.
        uint64_t total = uint64_t(SDL_GetSystemRAM()) << 20;
        return total > m_token->liveBytes ? total - m_token->liveBytes : 0;
    }

    std::string GetVertexShaderProfile() const override {
        return std::string("OpenGL ") + reinterpret_cast<const char*>(glGetString(GL_VERSION));
    }
    std::string GetPixelShaderProfile() const override {
        return std::string("GLSL ") + reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
    }

private:
    bool MakeFrameBuffer(std::string* error) {
        GLenum depthInternal = 0;
        if (m_params.enableAutoDepthStencil &&
            !DepthFormatOf(m_params.autoDepthStencilFormat, &depthInternal, &m_depthAttachment)) {
            *error = "unsupported depth format";
            return false;
        }
        glGenFramebuffers(1, &m_fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glGenRenderbuffers(1, &m_colourBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_colourBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GLsizei(m_params.backBufferWidth),
                              GLsizei(m_params.backBufferHeight));
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colourBuffer);
        if (depthInternal) {
            glGenRenderbuffers(1, &m_depthBuffer);
            glBindRenderbuffer(GL_RENDERBUFFER, m_depthBuffer);
            glRenderbufferStorage(GL_RENDERBUFFER, depthInternal, GLsizei(m_params.backBufferWidth),
                                  GLsizei(m_params.backBufferHeight));
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, m_depthAttachment, GL_RENDERBUFFER, m_depthBuffer);
        }
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            *error = "the frame buffer is incomplete";
            return false;
        }
        return true;
    }

    void DeleteFrameBuffer() {
        if (m_fbo) glDeleteFramebuffers(1, &m_fbo);
        if (m_colourBuffer) glDeleteRenderbuffers(1, &m_colourBuffer);
        if (m_depthBuffer) glDeleteRenderbuffers(1, &m_depthBuffer);
        m_fbo = m_colourBuffer = m_depthBuffer = 0;
    }

    GLuint FramebufferOf(GlSurface* surface) {
        if (!surface || !surface->texture()) return m_fbo;
        return surface->texture()->Framebuffer(m_depthBuffer, m_depthAttachment);
    }

    void BindRenderTarget() {
        glBindFramebuffer(GL_FRAMEBUFFER, FramebufferOf(static_cast<GlSurface*>(m_renderTarget.get())));
    }

    void ApplyStates() {
        auto rs = [this](RenderState s) { return GetRenderState(s); };
        glViewport(GLint(m_viewport.x), GLint(m_viewport.y), GLsizei(m_viewport.width),
                   GLsizei(m_viewport.height));
        glDepthRange(m_viewport.minZ, m_viewport.maxZ);
        if (rs(RenderState::ZEnable))
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthMask(rs(RenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
        glDepthFunc(CompareFunc(rs(RenderState::ZFunc)));
        if (rs(RenderState::AlphaBlendEnable))
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        glBlendFunc(BlendFactor(rs(RenderState::SrcBlend)), BlendFactor(rs(RenderState::DestBlend)));
        switch (rs(RenderState::CullMode)) {
        case cull::None: glDisable(GL_CULL_FACE); break;
        case cull::CW:
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CCW);
            glCullFace(GL_BACK);
            break;
        default:
            glEnable(GL_CULL_FACE);
            glFrontFace(GL_CW);
            glCullFace(GL_BACK);
            break;
        }
        glPolygonMode(GL_FRONT_AND_BACK, rs(RenderState::FillMode) == fill::Wireframe ? GL_LINE
                                         : rs(RenderState::FillMode) == fill::Point   ? GL_POINT
                                                                                      : GL_FILL);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

        auto* texture = static_cast<GlTexture*>(m_textures[0].get());
        bool hasTexture =
            texture && texture->id() && GetTextureStageState(0, StageState::ColorOp) != top::Disable;
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, hasTexture ? texture->id() : 0);
        glUniform1i(m_uHasTexture, hasTexture);
        glUniform1i(m_uColourOp, GLint(GetTextureStageState(0, StageState::ColorOp)));
        glUniform1i(m_uAlphaOp, GLint(GetTextureStageState(0, StageState::AlphaOp)));
        glUniform1i(m_uAlphaTest, rs(RenderState::AlphaTestEnable) != 0);
        glUniform1i(m_uAlphaFunc, GLint(rs(RenderState::AlphaFunc)));
        glUniform1i(m_uAlphaRef, GLint(rs(RenderState::AlphaRef) & 0xFF));
        glUniform1i(m_uLighting, rs(RenderState::Lighting) != 0);
        glUniform3f(m_uEmissive, m_material.emissive.r, m_material.emissive.g, m_material.emissive.b);
        glUniform1i(m_uFlat, rs(RenderState::ShadeMode) == shade::Flat);

        uint32_t mip = GetSamplerState(0, SamplerState::MipFilter);
        bool minLinear = GetSamplerState(0, SamplerState::MinFilter) == filter::Linear;
        GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
        if (mip == filter::Point)
            minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        if (mip == filter::Linear) minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        glSamplerParameteri(m_sampler, GL_TEXTURE_MIN_FILTER, minFilter);
        glSamplerParameteri(
            m_sampler, GL_TEXTURE_MAG_FILTER,
            GetSamplerState(0, SamplerState::MagFilter) == filter::Linear ? GL_LINEAR : GL_NEAREST);
        auto wrap = [](uint32_t a) {
            return a == address::Clamp    ? GL_CLAMP_TO_EDGE
                   : a == address::Mirror ? GL_MIRRORED_REPEAT
                                          : GL_REPEAT;
        };
        glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_S, wrap(GetSamplerState(0, SamplerState::AddressU)));
        glSamplerParameteri(m_sampler, GL_TEXTURE_WRAP_T, wrap(GetSamplerState(0, SamplerState::AddressV)));

        glUniform4f(m_uViewport, float(m_viewport.x), float(m_viewport.y), float(m_viewport.width),
                    float(m_viewport.height));
        bool pretransformed = m_fvf == kFvfScreen;
        glUniform1i(m_uPretransformed, pretransformed);
        if (!pretransformed) {
            // Direct3D's row-vector W*V*P holds the same floats as the column-vector P*V*W.
            float wvp[16];
            Multiply(m_world, m_view, m_projection, wvp);
            glUniformMatrix4fv(m_uWorldViewProjection, 1, GL_FALSE, wvp);
        }
    }

    static void Multiply(const Matrix& a, const Matrix& b, const Matrix& c, float out[16]) {
        float ab[16];
        for (int r = 0; r < 4; ++r)
            for (int col = 0; col < 4; ++col) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) sum += a.m[r * 4 + k] * b.m[k * 4 + col];
                ab[r * 4 + col] = sum;
            }
        for (int r = 0; r < 4; ++r)
            for (int col = 0; col < 4; ++col) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) sum += ab[r * 4 + k] * c.m[k * 4 + col];
                out[r * 4 + col] = sum;
            }
    }

    // Vertex layout of the current format on the bound array buffer, then the draw.
    void Draw(PrimitiveType type, uint32_t offset, uint32_t stride, uint32_t first, uint32_t count) {
        ApplyStates();
        auto at = [offset](uint32_t o) { return reinterpret_cast<const void*>(uintptr_t(offset + o)); };
        if (m_fvf == kFvfScreen) {
            glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, GLsizei(stride), at(0));
            glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, GLsizei(stride), at(16));
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, GLsizei(stride), at(20));
        } else {
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, GLsizei(stride), at(0));
            glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, GLsizei(stride), at(24));
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, GLsizei(stride), at(28));
        }
        glDrawArrays(PrimitiveMode(type), GLint(first), GLsizei(count));
    }

    SDL_Window* m_window;
    SDL_GLContext m_context;
    PresentParameters m_params;
    Token m_token;
    Result m_forcedLevel = Result::Ok;
    bool m_inScene = false;

    GLuint m_fbo = 0, m_colourBuffer = 0, m_depthBuffer = 0;
    GLenum m_depthAttachment = GL_DEPTH_ATTACHMENT;
    GLuint m_program = 0, m_vao = 0, m_streamBuffer = 0, m_sampler = 0;
    GLint m_uPretransformed = -1, m_uWorldViewProjection = -1, m_uViewport = -1, m_uHasTexture = -1,
          m_uColourOp = -1, m_uAlphaOp = -1, m_uAlphaTest = -1, m_uAlphaFunc = -1, m_uAlphaRef = -1,
          m_uLighting = -1, m_uEmissive = -1, m_uFlat = -1;
    Material m_material;

    std::shared_ptr<Surface> m_backBuffer;
    std::shared_ptr<Surface> m_renderTarget;
};

class GlDriver : public Driver {
public:
    // The video system is left running (see platform/Window.cpp).
    GlDriver() : m_videoStarted(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
    bool started() const { return m_videoStarted; }

    bool CheckDeviceType(uint32_t adapter, Format displayFormat, Format backBufferFormat, bool) override {
        // Frames are drawn in 8 bits per channel whatever the display; the 10-bit display format is not
        // offered.
        return adapter == 0 && displayFormat == backBufferFormat &&
               (displayFormat == fmt::X8R8G8B8 || displayFormat == fmt::R5G6B5 ||
                displayFormat == fmt::X1R5G5B5);
    }
    bool CheckDepthStencilMatch(uint32_t adapter, Format, Format depthFormat) override {
        GLenum internal = 0, attachment = 0;
        return adapter == 0 && DepthFormatOf(depthFormat, &internal, &attachment);
    }
    bool CheckTextureFormat(uint32_t adapter, Format, Format textureFormat) override {
        return adapter == 0 && FormatUsable(textureFormat);
    }

    Result CreateDevice(uint32_t adapter, void* focusWindow, uint32_t, PresentParameters* params,
                        std::unique_ptr<Device>* out) override {
        if (!params || !out || !focusWindow || adapter != 0) return Result::InvalidCall;
        GLenum internal = 0, attachment = 0;
        if (!DepthFormatOf(params->autoDepthStencilFormat, &internal, &attachment))
            return Result::InvalidCall;
        auto* window = static_cast<SDL_Window*>(params->window ? params->window : focusWindow);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (!context) {
            lastContextError = SDL_GetError();
            return Result::NotAvailable;
        }
        lastContextError.clear();
        SDL_GL_MakeCurrent(window, context);
        auto device = std::make_unique<GlDevice>(window, context, *params);
        std::string error;
        if (!device->Start(&error)) {
            lastContextError = error;
            return Result::NotAvailable;
        }
        *out = std::move(device);
        return Result::Ok;
    }

    int DesktopBitsPerPixel() override { return GlDesktopBitsPerPixel(); }

private:
    bool m_videoStarted;
};

}  // namespace

std::shared_ptr<Driver> CreateGlDriver() {
    auto driver = std::make_shared<GlDriver>();
    if (!driver->started()) return nullptr;
    return driver;
}

int GlDesktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    int bits = int(SDL_BITSPERPIXEL(mode.format));
    // A 24-bit colour mode stored in 32-bit pixels is what Windows calls a 32-bit desktop.
    return bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 4 ? 32 : bits;
}

const std::string& GlLastContextError() {
    return lastContextError;
}

bool ForceGlCooperativeLevel(Device* device, Result level) {
    auto* gl = dynamic_cast<GlDevice*>(device);
    if (!gl) return false;
    gl->ForceCooperativeLevel(level);
    return true;
}

}  // namespace gfx
