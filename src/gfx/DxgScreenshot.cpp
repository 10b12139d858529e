// Writes the current render target to a PNG file.
#include <stb_image_write.h>

#include <vector>

#include "gfx/DXG.h"
#include "platform/NativePath.h"
#include "runtime/LogFile.h"

namespace DXG {

bool SaveScreenshot(const char* path) {
    gfx::Device* d = IsReady() ? GetDevice() : nullptr;
    gfx::Image image;
    if (!d || !path || !d->ReadRenderTarget(&image) || image.width == 0) {
        errorLog.Write(std::string("Failed to save screenshot ") + (path ? path : "(null)") + "\n");
        return false;
    }
    std::vector<uint8_t> rgba(image.pixels.size() * 4);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t p = image.pixels[i];
        rgba[i * 4 + 0] = uint8_t(p >> 16);
        rgba[i * 4 + 1] = uint8_t(p >> 8);
        rgba[i * 4 + 2] = uint8_t(p);
        rgba[i * 4 + 3] = 0xFF;  // the frame's alpha is not part of the picture
    }
    std::FILE* file = OpenFile(path, "wb");
    bool ok = file != nullptr;
    if (file) {
        auto write = [](void* context, void* data, int size) {
            std::fwrite(data, 1, size_t(size), static_cast<std::FILE*>(context));
        };
        ok = stbi_write_png_to_func(write, file, int(image.width), int(image.height), 4, rgba.data(),
                                    int(image.width * 4)) != 0;
        ok = std::fclose(file) == 0 && ok;
    }
    if (!ok) errorLog.Write(std::string("Failed to save screenshot ") + path + "\n");
    return ok;
}

}  // namespace DXG
