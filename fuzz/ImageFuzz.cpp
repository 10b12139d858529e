// Fuzzes the image readers (BMP, PNG, DDS headers and pixels) and the pixel work done on what they decode.
#include <cstddef>
#include <cstdint>

#include "gfx/ImageFile.h"
#include "gfx/TextureUpload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gfx::ImageFileInfo info;
    bool headerRead = gfx::ReadImageFileInfo(data, size, &info);
    gfx::DecodedImage image;
    if (!gfx::DecodeImageFile(data, size, &image)) return 0;
    if (!headerRead || image.levels.empty()) __builtin_trap();  // decoding implies a readable header
    const gfx::ImageLevel& top = image.levels[0];
    if (top.argb.size() != size_t(top.width) * top.height) __builtin_trap();
    if (top.argb.size() <= 64 * 64) {
        gfx::ImageLevel next = gfx::NextMipLevel(top, true);
        gfx::ImageLevel normals = gfx::NormalMapFromRed(top);
        std::vector<uint8_t> blocks(size_t(gfx::LevelPitch(gfx::fmt::DXT5, top.width)) *
                                    gfx::LevelRows(gfx::fmt::DXT5, top.height));
        gfx::WriteLevel(normals, gfx::fmt::DXT5, blocks.data(),
                        int32_t(gfx::LevelPitch(gfx::fmt::DXT5, top.width)));
        (void)next;
    }
    return 0;
}
