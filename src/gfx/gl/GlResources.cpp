// Textures, surfaces and vertex buffers of the OpenGL driver.
#include "gfx/gl/GlResources.h"

namespace gfx {

GlTexture* GlSurface::texture() const {
    return static_cast<GlTexture*>(memoryTexture());
}

GlTexture::GlTexture(GlToken token, LedgerRef ledger, uint32_t width, uint32_t height, uint32_t levels,
                     uint32_t usage, Format format, Pool pool, const GlTextureFormat& gl)
    : MemoryTexture(std::move(ledger), width, height, levels, usage, format, pool),
      m_token(std::move(token)),
      m_gl(gl) {
    if (pool == Pool::SystemMem) return;
    glGenTextures(1, &m_id);
    glBindTexture(GL_TEXTURE_2D, m_id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (uint32_t i = 0; i < levels; ++i) Upload(i);
    // Without a maximum level matching the chain, a one-level texture under a mipmapped filter is
    // incomplete and samples black.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels) - 1);
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, m_gl.swizzle);
}

GlTexture::~GlTexture() {
    if (!m_token->alive) return;
    if (m_fbo) glDeleteFramebuffers(1, &m_fbo);
    if (m_id) glDeleteTextures(1, &m_id);
}

std::shared_ptr<Surface> GlTexture::GetSurfaceLevel(uint32_t level) {
    if (level >= GetLevelCount()) return nullptr;
    return std::make_shared<GlSurface>(shared_from_this(), level);
}

GLuint GlTexture::Framebuffer(GLuint depthBuffer, GLenum depthAttachment) {
    m_translucentLevels |= 1;  // what is drawn into level 0 is not known to be opaque
    if (!m_fbo) {
        glGenFramebuffers(1, &m_fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_id, 0);
        if (depthBuffer)
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, depthAttachment, GL_RENDERBUFFER, depthBuffer);
    }
    return m_fbo;
}

void GlTexture::LevelUnlocked(uint32_t level, bool written) {
    if (m_id && written && m_token->alive) {
        glBindTexture(GL_TEXTURE_2D, m_id);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        Upload(level);
    }
}

void GlTexture::Upload(uint32_t level) {
    const SurfaceDesc desc = GetLevelDesc(level);
    const GLsizei bytes = GLsizei(size_t(LevelPitchOf(level)) * LevelRows(desc.format, desc.height));
    bool opaque = !m_gl.compressed && (m_gl.swizzle[3] == GL_ONE || m_gl.format == GL_RGB);
    if (desc.format == fmt::A8R8G8B8) {
        const uint8_t* texel = LevelBytes(level);
        opaque = true;
        for (GLsizei i = 3; i < bytes && opaque; i += 4) opaque = texel[i] == 0xFF;
    }
    if (level < 32) {
        if (opaque)
            m_translucentLevels &= ~(1u << level);
        else
            m_translucentLevels |= 1u << level;
    }
    if (m_gl.compressed)
        glCompressedTexImage2D(GL_TEXTURE_2D, GLint(level), m_gl.internal, GLsizei(desc.width),
                               GLsizei(desc.height), 0, bytes, LevelBytes(level));
    else
        glTexImage2D(GL_TEXTURE_2D, GLint(level), GLint(m_gl.internal), GLsizei(desc.width),
                     GLsizei(desc.height), 0, m_gl.format, m_gl.type, LevelBytes(level));
}

GlVertexBuffer::GlVertexBuffer(GlToken token, LedgerRef ledger, uint32_t length, uint32_t usage, uint32_t fvf,
                               Pool pool)
    : MemoryVertexBuffer(std::move(ledger), length, usage, fvf, pool), m_token(std::move(token)) {
    glGenBuffers(1, &m_id);
    glBindBuffer(GL_ARRAY_BUFFER, m_id);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(length), Bytes().data(),
                 (usage & kUsageDynamic) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

GlVertexBuffer::~GlVertexBuffer() {
    if (m_token->alive) glDeleteBuffers(1, &m_id);
}

void GlVertexBuffer::RangeUnlocked(uint32_t offset, uint32_t size) {
    if (!m_token->alive || size == 0) return;
    glBindBuffer(GL_ARRAY_BUFFER, m_id);
    glBufferSubData(GL_ARRAY_BUFFER, GLintptr(offset), GLsizeiptr(size), Bytes().data() + offset);
}

}  // namespace gfx
