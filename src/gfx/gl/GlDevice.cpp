// The OpenGL driver's frame: the off-screen framebuffer, reset, present, clear, resources, render targets
// and read-back.
#include "gfx/gl/GlDevice.h"

#include <algorithm>

#include "platform/GlContext.h"
#include "platform/PictureFit.h"
#include "platform/SystemInfo.h"

namespace gfx {

GlDevice::GlDevice(std::unique_ptr<platform::GlContext> context, const PresentParameters& params)
    : DeviceFrontEnd(params), m_context(std::move(context)), m_token(std::make_shared<GlContextToken>()) {
    m_backBuffer =
        std::make_shared<GlSurface>(params.backBufferWidth, params.backBufferHeight, params.backBufferFormat);
    m_renderTarget = m_backBuffer;
}

GlDevice::~GlDevice() {
    m_token->alive = false;
    // The objects go with the context; they are deleted one by one only while it can be made current.
    if (m_context->MakeCurrent()) {
        m_shaders.Release();
        if (m_vao) glDeleteVertexArrays(1, &m_vao);
        if (m_streamBuffer) glDeleteBuffers(1, &m_streamBuffer);
        if (m_sampler) glDeleteSamplers(1, &m_sampler);
        DeleteFrameBuffer();
    }
}

bool GlDevice::Start(std::string* error) {
    if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) {
        *error = "clip control (OpenGL 4.5 or GL_ARB_clip_control) is not available";
        return false;
    }
    // Row 0 is the top row and depth runs 0..1, as in Direct3D: viewports, texture coordinates and
    // read-backs need no flips.
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxTextureSize);
    if (!MakeFrameBuffer(error)) return false;
    if (!m_shaders.Check(error)) return false;
    // Flat shading takes the colour of a triangle's first vertex, as Direct3D does.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_streamBuffer);
    glGenSamplers(1, &m_sampler);
    glBindSampler(0, m_sampler);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);
    m_context->SetSwapInterval(m_params.vsync ? 1 : 0);
    BindRenderTarget();
    return true;
}

bool GlDevice::MakeFrameBuffer(std::string* error) {
    GLenum depthInternal = 0;
    if (m_params.enableAutoDepthStencil &&
        !MapDepthFormat(m_params.autoDepthStencilFormat, &depthInternal, &m_depthAttachment)) {
        *error = "unsupported depth format";
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
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
    if (glGetError() == GL_OUT_OF_MEMORY) {
        *error = "out of memory";
        return false;
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        *error = "the frame buffer is incomplete";
        return false;
    }
    return true;
}

void GlDevice::DeleteFrameBuffer() {
    if (m_fbo) glDeleteFramebuffers(1, &m_fbo);
    if (m_colourBuffer) glDeleteRenderbuffers(1, &m_colourBuffer);
    if (m_depthBuffer) glDeleteRenderbuffers(1, &m_depthBuffer);
    m_fbo = m_colourBuffer = m_depthBuffer = 0;
}

GLuint GlDevice::FramebufferOf(const Surface* surface) {
    auto* s = dynamic_cast<const GlSurface*>(surface);
    if (!s || !s->texture()) return m_fbo;
    return s->texture()->Framebuffer(m_depthBuffer, m_depthAttachment);
}

void GlDevice::BindRenderTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, FramebufferOf(m_renderTarget.get()));
}

Result GlDevice::DriverReset(const PresentParameters& previous) {
    InvalidateAppliedStates();
    // A frame buffer that a failed reset left unmade is made again whatever the parameters.
    if (m_fbo == 0 || m_params.backBufferWidth != previous.backBufferWidth ||
        m_params.backBufferHeight != previous.backBufferHeight ||
        m_params.autoDepthStencilFormat != previous.autoDepthStencilFormat) {
        std::string error;
        DeleteFrameBuffer();
        if (!MakeFrameBuffer(&error)) {
            DeleteFrameBuffer();
            // Only a lack of memory is reported as such; any other failure is a plain one.
            return error == "out of memory" ? Result::OutOfVideoMemory : Result::Fail;
        }
        m_backBuffer = std::make_shared<GlSurface>(m_params.backBufferWidth, m_params.backBufferHeight,
                                                   m_params.backBufferFormat);
    }
    m_context->SetSwapInterval(m_params.vsync ? 1 : 0);
    return Result::Ok;
}

void GlDevice::DriverPresent() {
    // A window destroyed from outside ends the program with its next message; until then nothing is shown.
    if (!m_context->CanPresent()) return;
    int w = 0, h = 0;
    m_context->DrawableSize(&w, &h);
    DrawPresentedFrame(0, w, h);
    m_context->Swap();
    BindRenderTarget();
}

void GlDevice::DrawPresentedFrame(GLuint target, int width, int height) {
    const int pictureWidth = int(m_params.backBufferWidth), pictureHeight = int(m_params.backBufferHeight);
    const platform::PictureRect rect = platform::FitPicture(width, height, pictureWidth, pictureHeight);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The bars: the picture's shape is kept, the rest of the window is black.
    if (rect.width != width || rect.height != height) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (rect.width <= 0 || rect.height <= 0) return;  // minimised
    // Whole-number scales keep each pixel a sharp square; any other scale is filtered smoothly so that
    // text keeps even strokes instead of doubled and single columns.
    const GLenum filter = platform::IsWholeScale(rect, pictureWidth, pictureHeight) ? GL_NEAREST : GL_LINEAR;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_fbo);
    // The frame's row 0 is its top row; the window's row 0 is its bottom row.
    const int bottom = height - rect.y - rect.height;
    glBlitFramebuffer(0, 0, pictureWidth, pictureHeight, rect.x, bottom + rect.height, rect.x + rect.width,
                      bottom, GL_COLOR_BUFFER_BIT, filter);
}

bool GlDevice::ReadPresentedFrame(int width, int height, Image* out) {
    if (!out || width <= 0 || height <= 0) return false;
    GLuint fbo = 0, colour = 0;
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        DrawPresentedFrame(fbo, width, height);
        out->width = uint32_t(width);
        out->height = uint32_t(height);
        out->pixels.assign(size_t(width) * size_t(height), 0);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out->pixels.data());
        // Window rows run bottom up; the image's top row comes first.
        for (int y = 0; y < height / 2; ++y)
            std::swap_ranges(out->pixels.begin() + ptrdiff_t(y) * width,
                             out->pixels.begin() + ptrdiff_t(y + 1) * width,
                             out->pixels.begin() + ptrdiff_t(height - 1 - y) * width);
    }
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &colour);
    BindRenderTarget();
    return complete;
}

void GlDevice::DriverClear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
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
    InvalidateAppliedStates();  // the colour and depth masks
}

Result GlDevice::DriverBeginScene() {
    // What present or anything between frames did to the OpenGL states is not known to the next draw.
    InvalidateAppliedStates();
    return Result::Ok;
}

Result GlDevice::DriverCreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                     Format format, Pool pool, std::shared_ptr<Texture>* out) {
    GlTextureFormat gl;
    if (!MapTextureFormat(format, &gl)) return Result::NotAvailable;
    while (glGetError() != GL_NO_ERROR) {
    }
    auto texture =
        std::make_shared<GlTexture>(m_token, m_ledger, width, height, levels, usage, format, pool, gl);
    const GLenum error = glGetError();
    if (error == GL_OUT_OF_MEMORY) return Result::OutOfVideoMemory;
    if (error != GL_NO_ERROR) return Result::NotAvailable;
    *out = std::move(texture);
    return Result::Ok;
}

Result GlDevice::DriverCreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                          std::shared_ptr<VertexBuffer>* out) {
    while (glGetError() != GL_NO_ERROR) {
    }
    auto buffer = std::make_shared<GlVertexBuffer>(m_token, m_ledger, length, usage, fvf, pool);
    if (glGetError() == GL_OUT_OF_MEMORY) return Result::OutOfVideoMemory;
    *out = std::move(buffer);
    return Result::Ok;
}

bool GlDevice::DriverHasFormat(Format format) const {
    return GlHasTextureFormat(format);
}

uint32_t GlDevice::DriverMaxTextureSize() const {
    return uint32_t(m_maxTextureSize);
}

Result GlDevice::DriverRenderTargetChanged() {
    InvalidateAppliedStates();
    BindRenderTarget();
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE ? Result::Ok : Result::Fail;
}

Result GlDevice::DriverCopyRenderTarget(Surface* renderTarget, Surface* destination) {
    auto* source = static_cast<GlSurface*>(renderTarget);
    auto* target = static_cast<GlSurface*>(destination);
    const SurfaceDesc s = source->GetDesc();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FramebufferOf(source));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(target->texture()->LevelPitchOf(target->level()) / 4));
    glReadPixels(0, 0, GLsizei(s.width), GLsizei(s.height), GL_BGRA, GL_UNSIGNED_BYTE,
                 target->texture()->LevelBytes(target->level()));
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    BindRenderTarget();
    return Result::Ok;
}

bool GlDevice::DriverReadRenderTarget(Image* out) {
    const SurfaceDesc d = m_renderTarget->GetDesc();
    out->width = d.width;
    out->height = d.height;
    out->pixels.assign(size_t(d.width) * d.height, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FramebufferOf(m_renderTarget.get()));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(d.width), GLsizei(d.height), GL_BGRA, GL_UNSIGNED_BYTE, out->pixels.data());
    BindRenderTarget();
    return true;
}

uint64_t GlDevice::GetAvailableTextureMem() const {
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
    const uint64_t total = SystemMemoryBytes();
    return total > LiveResourceBytes() ? total - LiveResourceBytes() : 0;
}

std::string GlDevice::GetVertexShaderProfile() const {
    return std::string("OpenGL ") + reinterpret_cast<const char*>(glGetString(GL_VERSION));
}

std::string GlDevice::GetPixelShaderProfile() const {
    return std::string("GLSL ") + reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
}

}  // namespace gfx
