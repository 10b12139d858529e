// Drawing on the OpenGL driver: the vertex layout of the two vertex formats over the bound array buffer,
// then the draw.
#include <cstring>

#include "gfx/gl/GlDevice.h"

namespace gfx {

namespace {

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

// Reads the colours of count vertices (B, G, R, A bytes at offset colour of each stride-byte vertex).
GlDevice::VertexColours ScanColours(const uint8_t* vertices, uint32_t count, uint32_t stride,
                                    uint32_t colour) {
    uint32_t all = 0xFFFFFFFF;
    bool opaque = true;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t c;
        std::memcpy(&c, vertices + size_t(i) * stride + colour, 4);
        all &= c;
        opaque = opaque && (c >> 24) == 0xFF;
    }
    return {opaque, all == 0xFFFFFFFF};
}

}  // namespace

void GlDevice::DriverDraw(const DrawCall& draw) {
    if (draw.vertexCount == 0) return;
    uint32_t offset = 0, first = 0;
    const uint32_t colourAt = m_fvf == kFvfScreen ? 16 : 24;
    const uint8_t* vertices = draw.memory;
    if (draw.memory) {
        glBindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(draw.vertexCount) * draw.stride), draw.memory,
                     GL_STREAM_DRAW);
    } else {
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GlVertexBuffer*>(draw.buffer)->id());
        offset = draw.bufferOffset;
        first = draw.startVertex;
        vertices =
            static_cast<GlVertexBuffer*>(draw.buffer)->Bytes().data() + offset + size_t(first) * draw.stride;
    }
    if (!ApplyStates(ScanColours(vertices, draw.vertexCount, draw.stride, colourAt))) return;
    auto at = [offset](uint32_t o) { return reinterpret_cast<const void*>(uintptr_t(offset + o)); };
    const GLsizei stride = GLsizei(draw.stride);
    if (m_fvf == kFvfScreen) {
        // x, y, z, rhw; colour at 16 (bytes B, G, R, A); u, v at 20
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, at(0));
        glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(16));
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, at(20));
    } else {
        // x, y, z, normal; colour at 24; u, v at 28
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, at(0));
        glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(24));
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, at(28));
    }
    glDrawArrays(PrimitiveMode(draw.type), GLint(first), GLsizei(draw.vertexCount));
}

}  // namespace gfx
