// Writes the client's own data files: the bitmap font (from a TrueType font through FreeType), the
// chooser's marker picture, the stone wall texture and the dream marker texture; and, when a second folder
// is given, the application icon as PNG files in the desktop's icon theme layout. Everything but the font
// outlines is drawn here, and the same inputs always give the same bytes.
//
// Usage: make-assets FONT.ttf OUTPUT_FOLDER [ICON_FOLDER]
#include <ft2build.h>
#include FT_FREETYPE_H

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gfx/DdsWriter.h"

namespace {

namespace fs = std::filesystem;

// ARGB pixels, top row first.
struct Picture {
    int width, height;
    std::vector<uint32_t> argb;
    Picture(int w, int h, uint32_t fill) : width(w), height(h), argb(size_t(w) * h, fill) {}
    uint32_t& at(int x, int y) { return argb[size_t(y) * width + x]; }
};

void Put16(std::string& out, uint32_t v) {
    out.push_back(char(v & 255));
    out.push_back(char(v >> 8 & 255));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make-assets: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

// Uncompressed A8R8G8B8 DDS, one level.
std::string DdsArgb(const Picture& p) {
    return gfx::DdsArgbFile(uint32_t(p.width), uint32_t(p.height), p.argb);
}

// 24-bit BMP without alpha, rows bottom-up and padded to 4 bytes.
std::string Bmp24(const Picture& p) {
    uint32_t rowBytes = (uint32_t(p.width) * 3 + 3) & ~3u;
    uint32_t dataBytes = rowBytes * uint32_t(p.height);
    std::string out = "BM";
    Put32(out, 54 + dataBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, uint32_t(p.width));
    Put32(out, uint32_t(p.height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, dataBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < p.width; ++x) {
            uint32_t c = p.argb[size_t(y) * p.width + x];
            row.push_back(char(c & 255));
            row.push_back(char(c >> 8 & 255));
            row.push_back(char(c >> 16 & 255));
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

// A small deterministic generator (xorshift), so the textures do not depend on the C library.
struct Random {
    uint32_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float Unit() { return float(Next() >> 8) / float(1u << 24); }
};

uint32_t Argb(int a, int r, int g, int b) {
    auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// ---- font ----------------------------------------------------------------------------------------------

constexpr int kFontSide = 256;
constexpr int kCell = 24;  // 0.09375 of the texture side
constexpr int kColumns = 10;
constexpr int kAdvanceTexels = 16;  // the 8-pixel advance of 12-pixel text, in texels of a 24-pixel cell

// Glyphs 0x20-0x7F in ten columns of 24-pixel cells, white with coverage as alpha. The pixel size is the
// largest whose glyphs all fit a cell with a one-pixel margin. Glyphs are rendered a third wider than
// high, so that drawn at half size they fill most of the text's 8-pixel advance; 0x7F shows the house sign.
bool MakeFont(const fs::path& fontFile, Picture* out) {
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) return false;
    FT_Face face;
    if (FT_New_Face(library, fontFile.string().c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "make-assets: cannot read font %s\n", fontFile.string().c_str());
        FT_Done_FreeType(library);
        return false;
    }
    auto codeOf = [](int byte) { return byte == 0x7f ? 0x2302ul : FT_ULong(byte); };
    int pixelSize = 0, baseline = 0;
    for (int size = 24; size >= 12 && pixelSize == 0; --size) {
        FT_Set_Pixel_Sizes(face, FT_UInt(size * 4 / 3), FT_UInt(size));
        int top = 0, bottom = 0, right = 0;
        for (int byte = 0x21; byte <= 0x7f; ++byte) {
            if (FT_Load_Char(face, codeOf(byte), FT_LOAD_RENDER) != 0) continue;
            FT_GlyphSlot g = face->glyph;
            top = std::max(top, g->bitmap_top);
            bottom = std::max(bottom, int(g->bitmap.rows) - g->bitmap_top);
            right = std::max(right, g->bitmap_left + int(g->bitmap.width));
        }
        if (top + bottom <= kCell - 2 && right <= kAdvanceTexels) {
            pixelSize = size;
            baseline = 1 + top;
        }
    }
    if (pixelSize == 0) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        return false;
    }
    FT_Set_Pixel_Sizes(face, FT_UInt(pixelSize * 4 / 3), FT_UInt(pixelSize));
    *out = Picture(kFontSide, kFontSide, 0x00ffffff);
    for (int byte = 0x20; byte <= 0x7f; ++byte) {
        if (FT_Load_Char(face, codeOf(byte), FT_LOAD_RENDER) != 0) continue;
        FT_GlyphSlot g = face->glyph;
        int n = byte - 0x20;
        int cellX = (n % kColumns) * kCell, cellY = (n / kColumns) * kCell;
        for (int row = 0; row < int(g->bitmap.rows); ++row) {
            for (int col = 0; col < int(g->bitmap.width); ++col) {
                int x = cellX + 1 + g->bitmap_left + col, y = cellY + baseline - g->bitmap_top + row;
                if (x < cellX || x >= cellX + kCell || y < cellY || y >= cellY + kCell) continue;
                int coverage = g->bitmap.buffer[row * g->bitmap.pitch + col];
                out->at(x, y) = uint32_t(coverage) << 24 | 0x00ffffff;
            }
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}

// ---- pictures -------------------------------------------------------------------------------------------

// The chooser's marker: a right-pointing arrow in warm yellow with a darker rim, on black (the key colour).
Picture MakeMarker() {
    Picture p(32, 32, 0xff000000);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float dy = std::fabs(fy - 16.0f);
            bool shaft = fx >= 3 && fx < 18 && dy < 5;
            bool head = fx >= 16 && fx < 30 && dy < (30 - fx) * 0.9f;
            bool innerShaft = fx >= 5 && fx < 19 && dy < 3;
            bool innerHead = fx >= 18 && fx < 27 && dy < (27 - fx) * 0.9f - 0.5f;
            if (innerShaft || innerHead) {
                p.at(x, y) = Argb(255, 255, 220 - int(dy) * 12, 64);
            } else if (shaft || head) {
                p.at(x, y) = Argb(255, 190, 110, 20);
            }
        }
    }
    return p;
}

// Smooth value noise on a wrapping lattice of the given period.
float Noise(const std::vector<float>& lattice, int period, float x, float y) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float tx = x - float(x0), ty = y - float(y0);
    auto v = [&](int i, int j) {
        i = ((i % period) + period) % period;
        j = ((j % period) + period) % period;
        return lattice[size_t(j) * period + i];
    };
    auto s = [](float t) { return t * t * (3 - 2 * t); };
    float a = v(x0, y0) + (v(x0 + 1, y0) - v(x0, y0)) * s(tx);
    float b = v(x0, y0 + 1) + (v(x0 + 1, y0 + 1) - v(x0, y0 + 1)) * s(tx);
    return a + (b - a) * s(ty);
}

// Grey stone blocks in staggered courses with dark mortar; tiles seamlessly.
Picture MakeStone() {
    const int side = 128, period = 16;
    Random random{0x5eed1234u};
    std::vector<float> lattice(size_t(period) * period);
    for (float& f : lattice) f = random.Unit();
    std::vector<float> blockTint(64);
    for (float& f : blockTint) f = random.Unit();
    Picture p(side, side, 0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            int course = y / 32;
            int shifted = (x + (course % 2) * 32) % side;
            int block = course * 4 + shifted / 64;
            int bx = shifted % 64, by = y % 32;
            int edge = std::min({bx, 63 - bx, by, 31 - by});
            float n = 0.6f * Noise(lattice, period, x / 8.0f, y / 8.0f) +
                      0.4f * Noise(lattice, period, x / 2.0f + 3, y / 2.0f + 7);
            float grey = 96 + 70 * n + 30 * blockTint[size_t(block) % blockTint.size()];
            if (edge < 2)
                grey = 40 + 20 * n;
            else if (edge < 4)
                grey *= 0.8f;
            p.at(x, y) = Argb(255, int(grey), int(grey * 0.96f), int(grey * 0.9f));
        }
    }
    return p;
}

// The dream cylinders' texture: swirling violet-blue bands that fade out toward the top.
Picture MakeDream() {
    const int side = 128;
    Picture p(side, side, 0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            float u = float(x) / side, v = float(y) / side;
            float band = 0.5f + 0.5f * std::sin(6.2831853f * (2 * u + 3 * v));
            float glow = 0.5f + 0.5f * std::sin(6.2831853f * (u - 2 * v) * 2);
            int r = int(120 + 100 * band), g = int(60 + 80 * glow), b = 255;
            int a = int(255 * std::clamp(0.25f + 0.75f * v, 0.0f, 1.0f) * (0.6f + 0.4f * band));
            p.at(x, y) = Argb(a, r, g, b);
        }
    }
    return p;
}

// ---- icon -----------------------------------------------------------------------------------------------

// The icon's sizes in the icon theme (square pixels).
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Straight-alpha colour with components in 0..1.
struct Colour {
    float r, g, b, a;
};

// Paints top over bottom.
Colour Over(Colour top, Colour bottom) {
    float a = top.a + bottom.a * (1 - top.a);
    if (a <= 0) return {0, 0, 0, 0};
    auto mix = [&](float t, float b) { return (t * top.a + b * bottom.a * (1 - top.a)) / a; };
    return {mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), a};
}

// The icon at a point of the unit square (y down): a grass floor tile seen from above at an angle, a slab
// of earth under its front edges, and on it a dream marker's violet cylinder that fades out upward.
Colour IconAt(float x, float y) {
    const float cx = 0.5f, tileY = 0.66f, halfW = 0.47f, halfH = 0.235f, slab = 0.07f;
    Colour c{0, 0, 0, 0};
    // Earth: the tile's outline moved down by up to the slab's depth.
    for (float d = slab; d >= 0; d -= slab / 8) {
        float e = std::fabs(x - cx) / halfW + std::fabs(y - d - tileY) / halfH;
        if (e <= 1 && y - d > tileY - 0.02f) {
            float shade = x < cx ? 0.75f : 0.55f;
            c = {0.45f * shade, 0.30f * shade, 0.16f * shade, 1};
            break;
        }
    }
    // The grass face, darker at its rim.
    float e = std::fabs(x - cx) / halfW + std::fabs(y - tileY) / halfH;
    if (e <= 1) {
        float light = 0.85f + 0.25f * (tileY - y) / halfH;
        float grass = e > 0.88f ? 0.6f : light;
        c = {0.25f * grass, 0.62f * grass, 0.22f * grass, 1};
    }
    // The cylinder: body, base ellipse on the tile, brighter top ellipse.
    const float radius = 0.17f, ry = 0.065f, top = 0.16f, base = tileY;
    float dx = (x - cx) / radius;
    if (std::fabs(dx) <= 1) {
        float rim = std::sqrt(1 - dx * dx) * ry;
        float height = (base - top);
        if (y >= top - rim && y <= base + rim) {
            float v = std::clamp((y - top) / height, 0.0f, 1.0f);
            float band = 0.5f + 0.5f * std::sin(6.2831853f * (2.5f * v - 0.6f * dx));
            float shade = 0.55f + 0.45f * std::cos(1.3f * (dx + 0.35f));
            Colour body{(0.45f + 0.35f * band) * shade, (0.22f + 0.25f * band) * shade, shade,
                        0.6f + 0.4f * v};
            if (y <= top + rim) body = {0.85f, 0.75f, 1.0f, 0.75f};
            c = Over(body, c);
        }
    }
    return c;
}

// The icon at one size, each pixel the mean of 4 x 4 samples, as RGBA bytes.
std::vector<unsigned char> DrawIcon(int side) {
    std::vector<unsigned char> rgba(size_t(side) * side * 4);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    Colour c = IconAt((x + (sx + 0.5f) / 4) / side, (y + (sy + 0.5f) / 4) / side);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            unsigned char* px = &rgba[(size_t(y) * side + x) * 4];
            auto byte = [](float v) {
                return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
            };
            px[0] = a > 0 ? byte(r / a) : 0;
            px[1] = a > 0 ? byte(g / a) : 0;
            px[2] = a > 0 ? byte(b / a) : 0;
            px[3] = byte(a / 16);
        }
    }
    return rgba;
}

void PutBig32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char(v >> shift & 255));
}

// One PNG chunk: length, type, data, CRC of type and data.
void PngChunk(std::string& out, const char* type, const std::string& data) {
    std::string body = std::string(type, 4) + data;
    PutBig32(out, uint32_t(data.size()));
    out += body;
    PutBig32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// An 8-bit RGBA PNG, rows unfiltered, compressed by zlib at its highest level.
bool Png(int side, const std::vector<unsigned char>& rgba, std::string* out) {
    std::string raw;
    for (int y = 0; y < side; ++y) {
        raw.push_back('\0');
        raw.append(reinterpret_cast<const char*>(&rgba[size_t(y) * side * 4]), size_t(side) * 4);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9) != Z_OK)
        return false;
    packed.resize(packedSize);
    std::string header;
    PutBig32(header, uint32_t(side));
    PutBig32(header, uint32_t(side));
    header +=
        std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter choice, no interlace
    *out = "\x89PNG\r\n\x1a\n";
    PngChunk(*out, "IHDR", header);
    PngChunk(*out, "IDAT", packed);
    PngChunk(*out, "IEND", "");
    return true;
}

// ICON_FOLDER/hicolor/NxN/apps/velmview.png for every size.
bool WriteIcons(const fs::path& folder) {
    bool ok = true;
    for (int side : kIconSizes) {
        std::string png;
        if (!Png(side, DrawIcon(side), &png)) return false;
        std::string size = std::to_string(side) + "x" + std::to_string(side);
        ok = WriteFile(folder / "hicolor" / size / "apps" / "velmview.png", png) && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make-assets FONT.ttf OUTPUT_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    fs::path out = argv[2];
    Picture font(1, 1, 0);
    if (!MakeFont(argv[1], &font)) {
        std::fprintf(stderr, "make-assets: the font could not be rendered\n");
        return 1;
    }
    bool ok = WriteFile(out / "font12.dds", DdsArgb(font));
    ok = WriteFile(out / "pickINI.bmp", Bmp24(MakeMarker())) && ok;
    ok = WriteFile(out / "walls" / "stone1.bmp", Bmp24(MakeStone())) && ok;
    ok = WriteFile(out / "misc" / "dream0.dds", DdsArgb(MakeDream())) && ok;
    if (argc == 4) ok = WriteIcons(argv[3]) && ok;
    return ok ? 0 : 1;
}
