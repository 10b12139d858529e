// A glyph quad spans its cell exactly, so its texture coordinates stay within the cell's edges (up to
// rounding). A sample point s texels from the left reads texel floor(s) (point filtering) or floor(s - 0.5)
// and the next one (linear), so every texel it can read lies in the cell widened by one texel on each side.
// Past the texture's edge the wrap modes read the opposite edge (repeat) or the edge itself (clamp,
// mirror): both are checked.
#include "gfx/GlyphInk.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The texel indices a coordinate range [from, to] of one axis can read, wrapped or clamped to the side.
template <class Visit>
bool EveryTexel(float from, float to, int side, Visit visit) {
    const int first = int(std::floor(from)) - 1, last = int(std::ceil(to));
    for (int i = first; i <= last; ++i) {
        if (i >= 0 && i < side) {
            if (!visit(i)) return false;
        } else if (!visit(((i % side) + side) % side) || !visit(std::clamp(i, 0, side - 1))) {
            return false;
        }
    }
    return true;
}

}  // namespace

void GlyphInk::Measure(gfx::Texture* font, float cellFraction, int columns) {
    m_blank.reset();
    if (font == nullptr || font->GetLevelCount() != 1) return;
    const gfx::SurfaceDesc desc = font->GetLevelDesc(0);
    if (desc.format != gfx::fmt::A8R8G8B8 || desc.width == 0 || desc.height == 0) return;
    gfx::LockedRect rect;
    if (!gfx::Succeeded(font->LockRect(0, &rect, gfx::kLockReadOnly))) return;
    const auto* bytes = static_cast<const uint8_t*>(rect.bits);
    const int width = int(desc.width), height = int(desc.height);
    auto clear = [&](int x, int y) {
        uint32_t texel;
        std::memcpy(&texel, bytes + size_t(y) * size_t(rect.pitch) + size_t(x) * 4, 4);
        return (texel >> 24) == 0;
    };
    for (int n = 0; n < 96; ++n) {
        const float u0 = float(n % columns) * cellFraction, v0 = float(n / columns) * cellFraction;
        m_blank[size_t(n)] =
            EveryTexel(v0 * float(height), (v0 + cellFraction) * float(height), height, [&](int y) {
                return EveryTexel(u0 * float(width), (u0 + cellFraction) * float(width), width,
                                  [&](int x) { return clear(x, y); });
            });
    }
    font->UnlockRect(0);
}
