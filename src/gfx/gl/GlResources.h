// The OpenGL driver's textures, surfaces and vertex buffers: memory-backed, with their bytes sent to
// OpenGL when a lock ends. They may outlive the device; their GL objects are deleted only while its
// context lives.
#pragma once

#include <epoxy/gl.h>

#include <memory>

#include "gfx/LevelSurface.h"
#include "gfx/MemoryTexture.h"
#include "gfx/MemoryVertexBuffer.h"
#include "gfx/gl/GlFormats.h"

namespace gfx {

// Shared by the device and its resources: whether the device's context still lives.
struct GlContextToken {
    bool alive = true;
};
using GlToken = std::shared_ptr<GlContextToken>;

class GlTexture;

// A level of a texture, or the back buffer (no texture).
class GlSurface : public LevelSurface {
public:
    using LevelSurface::LevelSurface;
    GlTexture* texture() const;
};

class GlTexture : public MemoryTexture, public std::enable_shared_from_this<GlTexture> {
public:
    // Uploads every level (system-memory textures live in memory only).
    GlTexture(GlToken token, LedgerRef ledger, uint32_t width, uint32_t height, uint32_t levels,
              uint32_t usage, Format format, Pool pool, const GlTextureFormat& gl);
    ~GlTexture() override;

    std::shared_ptr<Surface> GetSurfaceLevel(uint32_t level) override;
    GLuint id() const { return m_id; }
    // Whether every texel of every level samples with alpha exactly 1: a format without alpha, or 8-bit
    // alpha all 0xFF as last uploaded.
    bool Opaque() const { return m_translucentLevels == 0; }
    // A framebuffer drawing into level 0 (made on first use) with the device's depth buffer.
    GLuint Framebuffer(GLuint depthBuffer, GLenum depthAttachment);

private:
    void LevelUnlocked(uint32_t level, bool written) override;
    void Upload(uint32_t level);

    GlToken m_token;
    GlTextureFormat m_gl;
    GLuint m_id = 0;
    GLuint m_fbo = 0;
    uint32_t m_translucentLevels = 0;  // bit n: level n may have a texel with alpha below 1
};

class GlVertexBuffer : public MemoryVertexBuffer {
public:
    GlVertexBuffer(GlToken token, LedgerRef ledger, uint32_t length, uint32_t usage, uint32_t fvf, Pool pool);
    ~GlVertexBuffer() override;
    GLuint id() const { return m_id; }

private:
    void RangeUnlocked(uint32_t offset, uint32_t size) override;

    GlToken m_token;
    GLuint m_id = 0;
};

}  // namespace gfx
