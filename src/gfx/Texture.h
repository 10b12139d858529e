// DXG::Texture: a handle to a shared texture record. Loads image files into device textures (power-of-two
// sizes, colour key, mip levels, bump maps), creates empty textures, shares one record between all handles
// that load the same file, and drops VOLATILE textures when the device is lost.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/SharedResource.h"
#include "gfx/Device.h"

namespace DXG {

// Texture types: the format rule for loading and creation, and the device-loss rule.
enum TextureType : uint32_t {
    FREE = 0,        // blank record; loading it is an error
    FROM_FILE = 1,   // the file's own format
    OPAQUE = 2,      // X8R8G8B8 (16-bit display: R5G6B5 or X1R5G5B5)
    ALPHA = 3,       // A8R8G8B8 (16-bit display: A4R4G4B4 or A1R5G5B5)
    COMPRESSED = 4,  // DXT5
    BUMP = 5,        // a normal map made from the file's red channel, stored A8R8G8B8
    VOLATILE = 6,    // released when the device is lost
};

struct TexturePayload {
    uint32_t type = FREE;
    gfx::Format format = gfx::fmt::Unknown;  // the file's pixel format; 0 for created textures
    std::string fileName;                    // empty for created textures
    int32_t width = 0, height = 0;           // pixels
    std::shared_ptr<gfx::Texture> deviceTexture;
};

class Texture : public SharedResource<TexturePayload> {
public:
    Texture() = default;
    ~Texture() override;

    // Loads (or shares, when a record of that file name exists) the file as a texture of the type.
    bool Load(const std::string& fileName, uint32_t type, bool mipmaps, bool smooth);
    // Loads with opaque black as transparent: type FROM_FILE, no mipmaps, no smoothing.
    bool LoadColorKeyed(const std::string& fileName);
    // An empty X8R8G8B8 texture of one level.
    bool Create(int32_t width, int32_t height, uint32_t type);

    int32_t GetWidth() const { return m_record ? m_record->payload.width : 0; }
    int32_t GetHeight() const { return m_record ? m_record->payload.height : 0; }
    uint32_t GetType() const { return m_record ? m_record->payload.type : FREE; }
    gfx::Format GetFormat() const { return m_record ? m_record->payload.format : gfx::fmt::Unknown; }
    std::string GetFileName() const { return m_record ? m_record->payload.fileName : std::string(); }
    std::shared_ptr<gfx::Texture> GetDeviceTexture() const {
        return m_record ? m_record->payload.deviceTexture : nullptr;
    }
    // No record held, or a record of type FREE.
    bool IsBlank() const { return m_record == nullptr || m_record->payload.type == FREE; }

    // The format used for loading or creating a texture of the type on the current display.
    static gfx::Format CalcFormatFromType(uint32_t type);
    // The type a loaded file gets from its pixel format.
    static uint32_t DeduceTypeFromFormat(gfx::Format format);

protected:
    void FreePayload() override;

private:
    bool LoadFile(const std::string& fileName, bool colourKey, uint32_t type, bool mipmaps, bool smooth);
};

}  // namespace DXG
