// Floor textures: each diamond-shaped floor shape becomes a 64 x 64 square texture. The square is the
// shape drawn as one screen quad whose texture coordinates pick out the diamond, with linear filtering.
// BuildFloorTextures resamples on the processor exactly as the device would draw that quad (the reference
// build that draws it with the device lives in src/testing).
#include "world/FloorTextures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "data/PcxPalette.h"
#include "gfx/DXG.h"
#include "runtime/LogFile.h"

using namespace floorsquare;

namespace {

constexpr std::uint32_t kBlack = 0xFF000000;  // transparent pixels, and pixels outside the image

}  // namespace

void floorsquare::FillRaw(const SpkShape& shape, const FloorPaletteEntries& palette, std::uint32_t* raw,
                          std::size_t pitch) {
    const int rows = std::min(shape.height(), kSide);
    const int columns = std::min(shape.width(), kSide);
    for (int y = 0; y < kSide; ++y) {
        std::uint32_t* out = raw + std::size_t(y) * pitch;
        int x = 0;
        if (y < rows) {
            const std::uint8_t* in = shape.row(y);
            for (; x < columns; ++x) out[x] = in[x] == shape.keyColor ? kBlack : palette[in[x]];
        }
        for (; x < kSide; ++x) out[x] = kBlack;
    }
}

namespace {

// Where each pixel of the square samples the raw image: the four texels of the linear filter (offsets into
// the raw block: top-left, top-right, bottom-left, bottom-right) and their weights in 1/65536, summing to
// 65536. The filter's position between the texels is taken to the nearest 1/256 of a texel.
struct Sample {
    std::array<std::uint16_t, 4> texel;
    std::array<std::uint32_t, 4> weight;
};
using SampleTable = std::array<Sample, kSide * kSide>;

// The quad's texture coordinates interpolated at the pixel's centre, which sits on integer screen
// coordinates. The fan's triangles are (0, 1, 2) and (0, 2, 3); a centre on their shared diagonal belongs to
// the first (whose left edge it is), though both give it the same coordinates.
void TextureCoordinatesAt(double px, double py, double& u, double& v) {
    const QuadCorner& a = kQuad[0];
    const QuadCorner& b = px >= py ? kQuad[1] : kQuad[2];
    const QuadCorner& c = px >= py ? kQuad[2] : kQuad[3];
    const double area = double(b.x - a.x) * (c.y - a.y) - double(c.x - a.x) * (b.y - a.y);
    const double wb = ((px - a.x) * (c.y - a.y) - (c.x - a.x) * (py - a.y)) / area;
    const double wc = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / area;
    const double wa = 1.0 - wb - wc;
    u = wa * a.u + wb * b.u + wc * c.u;
    v = wa * a.v + wb * b.v + wc * c.v;
}

const SampleTable& Samples() {
    static const SampleTable table = [] {
        SampleTable t{};
        for (int py = 0; py < kSide; ++py) {
            for (int px = 0; px < kSide; ++px) {
                double u, v;
                TextureCoordinatesAt(px, py, u, v);
                // Texel centres lie at (i + 0.5) / kSide; addressing wraps.
                const int tx = int(std::floor(u * kSide * 256.0 + 0.5)) - 128;
                const int ty = int(std::floor(v * kSide * 256.0 + 0.5)) - 128;
                const int x0 = (tx >> 8) & (kSide - 1), y0 = (ty >> 8) & (kSide - 1);
                const int x1 = (x0 + 1) & (kSide - 1), y1 = (y0 + 1) & (kSide - 1);
                const std::uint32_t fx = std::uint32_t(tx & 0xFF), fy = std::uint32_t(ty & 0xFF);
                Sample& s = t[std::size_t(py * kSide + px)];
                s.texel = {std::uint16_t(y0 * kSide + x0), std::uint16_t(y0 * kSide + x1),
                           std::uint16_t(y1 * kSide + x0), std::uint16_t(y1 * kSide + x1)};
                s.weight = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
            }
        }
        return t;
    }();
    return table;
}

// The square of one image, row by row through the destination's pitch (bytes): each pixel the weighted sum
// of its four texels, rounded to nearest. Red and blue are weighed together in two 32-bit lanes.
void Resample(const std::uint32_t* raw, std::uint8_t* destination, std::int32_t pitch) {
    const SampleTable& table = Samples();
    for (int y = 0; y < kSide; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(destination + std::ptrdiff_t(y) * pitch);
        for (int x = 0; x < kSide; ++x) {
            const Sample& s = table[std::size_t(y * kSide + x)];
            std::uint64_t redBlue = 0x8000 | std::uint64_t(0x8000) << 32;
            std::uint32_t green = 0x8000;
            for (std::size_t k = 0; k < 4; ++k) {
                const std::uint32_t texel = raw[s.texel[k]];
                redBlue += ((texel & 0xFF) | std::uint64_t(texel & 0xFF0000) << 16) * s.weight[k];
                green += (texel >> 8 & 0xFF) * s.weight[k];
            }
            out[x] = kBlack | std::uint32_t(redBlue >> 48 & 0xFF) << 16 | (green >> 16) << 8 |
                     std::uint32_t(redBlue >> 16 & 0xFF);
        }
    }
}

}  // namespace

void floorsquare::StartList(std::vector<DXG::Texture>& textures, int count) {
    textures.clear();
    std::vector<DXG::Texture>(std::size_t(count)).swap(textures);
}

void floorsquare::EndList(std::vector<DXG::Texture>& textures, int made) {
    while (textures.size() > std::size_t(made)) textures.pop_back();
}

bool floorsquare::StoreFinalTexture(DXG::Texture& handle, const std::uint8_t* source,
                                    std::int32_t sourcePitch) {
    DXG::Texture made;
    made.Create(kSide, kSide, DXG::OPAQUE);
    const std::shared_ptr<gfx::Texture> device = made.GetDeviceTexture();
    gfx::LockedRect lock;
    if (!device || !gfx::Succeeded(device->LockRect(0, &lock, gfx::kLockNone))) {
        errorLog.Write("Failed to lock final texture.\n");
        return false;
    }
    for (int y = 0; y < kSide; ++y)
        memcpy(static_cast<std::uint8_t*>(lock.bits) + std::ptrdiff_t(y) * lock.pitch,
               source + std::ptrdiff_t(y) * sourcePitch, kSide * 4);
    device->UnlockRect(0);
    handle.SRShare(made.GetRecord());
    return true;
}

bool BuildFloorTextures(const SpkArchive& images, std::vector<DXG::Texture>& textures) {
    DXG::ScopedLock lock;
    // Floor numbers reach only the floor renderer's slots: an archive of many shapes would otherwise make
    // textures nothing can draw (65,535 shapes would take a gigabyte).
    const int count = std::min(images.shapeCount(), kFloorSlotCount);
    StartList(textures, count);
    const FloorPaletteEntries& palette = FloorPalette();
    std::vector<std::uint32_t> raw(kSide * kSide), square(kSide * kSide);
    for (int k = 0; k < count; ++k) {
        FillRaw(images.shape(k), palette, raw.data(), kSide);
        Resample(raw.data(), reinterpret_cast<std::uint8_t*>(square.data()), kSide * 4);
        if (!StoreFinalTexture(textures[std::size_t(k)], reinterpret_cast<const std::uint8_t*>(square.data()),
                               kSide * 4)) {
            EndList(textures, k);
            return false;
        }
    }
    return true;
}
