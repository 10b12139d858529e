// Direct3D formats on OpenGL: the texture formats (with the swizzles that give formats without alpha an
// opaque one) and the depth formats of the frame.
#pragma once

#include <epoxy/gl.h>

#include "gfx/Device.h"

namespace gfx {

struct GlTextureFormat {
    GLenum internal = 0, format = 0, type = 0;
    bool compressed = false;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};

// The OpenGL upload of a device texture format; false for formats OpenGL is not asked to hold.
bool MapTextureFormat(Format format, GlTextureFormat* out);
// Whether the current context has the format (block compression is an extension).
bool GlHasTextureFormat(Format format);
// The renderbuffer format and attachment of a depth format; false for depth formats not offered.
bool MapDepthFormat(Format format, GLenum* internal, GLenum* attachment);

}  // namespace gfx
