// Texture and depth formats of the OpenGL driver.
#include "gfx/gl/GlFormats.h"

namespace gfx {

bool MapTextureFormat(Format f, GlTextureFormat* out) {
    GlTextureFormat g;
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

bool GlHasTextureFormat(Format format) {
    GlTextureFormat g;
    if (!MapTextureFormat(format, &g)) return false;
    if (!g.compressed) return true;
    return epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc") ||
           epoxy_has_gl_extension("GL_ANGLE_texture_compression_dxt5");
}

bool MapDepthFormat(Format f, GLenum* internal, GLenum* attachment) {
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

}  // namespace gfx
