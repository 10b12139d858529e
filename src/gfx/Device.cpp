// Helpers of the device seam: format sizes, vertex counts and the transform product.
#include "gfx/Device.h"

namespace gfx {

bool IsCompressedFormat(Format f) {
    return f == fmt::DXT1 || f == fmt::DXT2 || f == fmt::DXT3 || f == fmt::DXT4 || f == fmt::DXT5;
}

uint32_t BytesPerPixel(Format f) {
    switch (f) {
    case fmt::A8R8G8B8:
    case fmt::X8R8G8B8:
    case fmt::A8B8G8R8:
    case fmt::X8B8G8R8:
    case fmt::A2R10G10B10:
    case fmt::A2B10G10R10: return 4;
    case fmt::R5G6B5:
    case fmt::X1R5G5B5:
    case fmt::A1R5G5B5:
    case fmt::A4R4G4B4:
    case fmt::X4R4G4B4:
    case fmt::A8L8: return 2;
    case fmt::A8:
    case fmt::L8: return 1;
    default: return 0;
    }
}

uint32_t LevelPitch(Format f, uint32_t width) {
    if (IsCompressedFormat(f)) {
        uint32_t blocks = width < 4 ? 1 : (width + 3) / 4;
        return blocks * (f == fmt::DXT1 ? 8u : 16u);
    }
    return width * BytesPerPixel(f);
}

uint32_t LevelRows(Format f, uint32_t height) {
    if (IsCompressedFormat(f)) return height < 4 ? 1 : (height + 3) / 4;
    return height;
}

bool HasStencil(Format depthFormat) {
    return depthFormat == fmt::D24S8 || depthFormat == fmt::D15S1 || depthFormat == fmt::D24X4S4;
}

uint32_t VertexCountOf(PrimitiveType type, uint32_t primitiveCount) {
    if (primitiveCount == 0) return 0;
    switch (type) {
    case PrimitiveType::PointList: return primitiveCount;
    case PrimitiveType::LineList: return primitiveCount * 2;
    case PrimitiveType::LineStrip: return primitiveCount + 1;
    case PrimitiveType::TriangleList: return primitiveCount * 3;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan: return primitiveCount + 2;
    }
    return 0;
}

uint32_t StrideOfFvf(uint32_t fvf) {
    if (fvf == kFvfScreen) return 28;
    if (fvf == kFvfWorld) return 36;
    return 0;
}

Matrix WorldViewProjection(const Matrix& world, const Matrix& view, const Matrix& projection) {
    auto multiply = [](const Matrix& a, const Matrix& b) {
        Matrix out{};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                float sum = 0;
                for (int k = 0; k < 4; ++k) sum += a.m[r * 4 + k] * b.m[k * 4 + c];
                out.m[r * 4 + c] = sum;
            }
        return out;
    };
    return multiply(multiply(world, view), projection);
}

Matrix Matrix::Identity() {
    Matrix m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

}  // namespace gfx
