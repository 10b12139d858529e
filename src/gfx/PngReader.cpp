// PNG files through libpng, with its errors caught at each reading stage and its chunks bounded.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "gfx/ImageReaders.h"

namespace gfx::image {
namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr png_alloc_size_t kMaxPngChunkBytes = 1u << 20;  // no chunk our files use comes near this

bool HasPngSignature(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    uint8_t signature[8];
    return in.bytes(signature, 8) == 8 && std::memcmp(signature, kPngSignature, 8) == 0;
}

// libpng reports errors through these; they leave by longjmp to the reading stage's setjmp.
[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, size_t count) {
    auto* in = static_cast<ByteReader*>(png_get_io_ptr(png));
    if (in->bytes(out, count) != count) png_error(png, "file ends early");
}

// Owns libpng's read state for one file.
class PngFile {
public:
    explicit PngFile(ByteReader* in)
        : m_png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning)),
          m_info(m_png != nullptr ? png_create_info_struct(m_png) : nullptr),
          m_in(in) {}
    ~PngFile() { png_destroy_read_struct(&m_png, m_info != nullptr ? &m_info : nullptr, nullptr); }
    PngFile(const PngFile&) = delete;
    PngFile& operator=(const PngFile&) = delete;

    // The chunks before the pixel data, within the side limit; only IHDR, PLTE, tRNS, IDAT and IEND are
    // looked at, every other chunk is skipped unread.
    bool ReadInfo() {
        if (m_info == nullptr) return false;
        return ReadInfoStage(m_png, m_info, m_in);
    }

    // Rows of RGBA bytes after ReadInfo: palettes, grey levels and low bit depths expanded, 16-bit
    // samples cut to their high byte, interlaced images put together.
    bool ReadRgba(png_bytepp rows) { return ReadRgbaStage(m_png, m_info, rows); }

    png_uint_32 width() const { return png_get_image_width(m_png, m_info); }
    png_uint_32 height() const { return png_get_image_height(m_png, m_info); }
    int colourType() const { return png_get_color_type(m_png, m_info); }
    bool hasTransparency() const { return png_get_valid(m_png, m_info, PNG_INFO_tRNS) != 0; }

private:
    // The stages hold no object with a destructor: libpng leaves them by longjmp on bad data.
    static bool ReadInfoStage(png_structp png, png_infop info, ByteReader* in) {
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_read_fn(png, in, PngRead);
        png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
        png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_read_info(png, info);
        return true;
    }

    static bool ReadRgbaStage(png_structp png, png_infop info, png_bytepp rows) {
        if (setjmp(png_jmpbuf(png))) return false;
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != size_t(png_get_image_width(png, info)) * 4) return false;
        png_read_image(png, rows);
        return true;
    }

    png_structp m_png;
    png_infop m_info;
    ByteReader* m_in;
};

// The format a PNG reports: its colour type; a palette with a transparency chunk counts as alpha.
Format PngFormat(const PngFile& png) {
    switch (png.colourType()) {
    case PNG_COLOR_TYPE_GRAY: return fmt::L8;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return fmt::A8L8;
    case PNG_COLOR_TYPE_RGB_ALPHA: return fmt::A8R8G8B8;
    case PNG_COLOR_TYPE_PALETTE: return png.hasTransparency() ? fmt::A8R8G8B8 : fmt::R8G8B8;
    default: return fmt::R8G8B8;
    }
}

bool ReadPngInfo(PngFile& png, ImageFileInfo* out) {
    if (!png.ReadInfo() || !SideInRange(png.width()) || !SideInRange(png.height())) return false;
    out->width = png.width();
    out->height = png.height();
    out->mipLevels = 1;
    out->format = PngFormat(png);
    out->resourceType = ImageResourceType::Texture;
    return true;
}

}  // namespace

bool ReadPngInfo(const uint8_t* data, size_t size, ImageFileInfo* out) {
    ByteReader in(data, size);
    PngFile png(&in);
    return ReadPngInfo(png, out);
}

bool DecodePng(const uint8_t* data, size_t size, DecodedImage* out) {
    ByteReader in(data, size);
    PngFile png(&in);
    ImageFileInfo info;
    if (!ReadPngInfo(png, &info)) return false;
    std::vector<uint8_t> rgba(size_t(info.width) * info.height * 4);
    std::vector<png_bytep> rows(info.height);
    for (uint32_t y = 0; y < info.height; ++y) rows[y] = &rgba[size_t(y) * info.width * 4];
    if (!png.ReadRgba(rows.data())) return false;

    // Grey and colour files without an alpha format are opaque, whatever a transparency chunk says.
    const bool keepAlpha = FormatHasAlpha(info.format);
    ImageLevel level;
    level.width = info.width;
    level.height = info.height;
    level.argb.resize(size_t(info.width) * info.height);
    for (size_t i = 0; i < level.argb.size(); ++i) {
        const uint8_t* p = &rgba[4 * i];
        const uint32_t a = keepAlpha ? p[3] : 255;
        level.argb[i] = a << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    StoreOneLevel(info, std::move(level), out);
    return true;
}

bool IsPng(const uint8_t* data, size_t size) {
    return HasPngSignature(data, size);
}

}  // namespace gfx::image
