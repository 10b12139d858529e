// Texture loading and creation with the program's rules, the cache by file name, and the device-lost rule.
#include "gfx/Texture.h"

#include <algorithm>
#include <cctype>

#include "gfx/DXG.h"
#include "gfx/ImageFile.h"
#include "gfx/TextureUpload.h"
#include "runtime/CallStack.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"
#include "runtime/Utilities.h"

namespace DXG {
namespace {

bool handlerRegistered = false;  // the device-lost handler, registered by the first load or creation
// The foundation forgets its handlers when it is reset; the next load or creation registers again.
const bool kRegistered = RegisterProcessState(
    "textures", [] { handlerRegistered = false; }, kGfxState);

void ReportNotInitialized(const char* operation) {
    ReportMisuse(std::string("Error: ") + operation + " used when graphics foundation is not initialized.\n",
                 kCallMadeFrom);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Releases the device textures of VOLATILE records: they do not survive a lost device.
void HandleDeviceLost() {
    for (auto* record : Texture::Registry()) {
        if (record->payload.type == VOLATILE) record->payload.deviceTexture.reset();
    }
}

void RegisterDeviceLostHandler() {
    if (!handlerRegistered) {
        handlerRegistered = true;
        AddDeviceLostHandler(HandleDeviceLost);
    }
}

bool IsPowerOfTwo(uint32_t v) {
    return CountBits(v) == 1;
}

// The format a file is stored in when its own format is asked for: the file's format when we can write it
// and the device takes it, else 32-bit with or without alpha. A colour key needs alpha.
gfx::Format FileStorageFormat(gfx::Format fileFormat, bool colourKey) {
    bool alpha = colourKey || gfx::FormatHasAlpha(fileFormat) || fileFormat == gfx::fmt::P8;
    if (gfx::CanWriteFormat(fileFormat) && CheckTextureFormat(fileFormat) &&
        (!colourKey || gfx::FormatHasAlpha(fileFormat))) {
        return fileFormat;
    }
    return alpha ? gfx::fmt::A8R8G8B8 : gfx::fmt::X8R8G8B8;
}

// Fills every level of the device texture: the file's own levels where it has them, the rest filtered down.
bool FillLevels(gfx::Texture& texture, gfx::Format storage, const gfx::DecodedImage& image, bool colourKey,
                bool smooth) {
    gfx::ImageLevel previous;
    for (uint32_t level = 0; level < texture.GetLevelCount(); ++level) {
        gfx::SurfaceDesc desc = texture.GetLevelDesc(level);
        bool fromFile = level < image.levels.size() && image.levels[level].width == desc.width &&
                        image.levels[level].height == desc.height;
        gfx::ImageLevel pixels = fromFile ? image.levels[level] : gfx::NextMipLevel(previous, smooth);
        if (colourKey) gfx::ApplyColourKey(&pixels);
        gfx::LockedRect rect;
        if (!gfx::Succeeded(texture.LockRect(level, &rect, gfx::kLockNone))) return false;
        auto* bits = static_cast<uint8_t*>(rect.bits);
        if (fromFile && storage == image.info.format && level < image.dxtLevels.size()) {
            gfx::WriteBlocks(image.dxtLevels[level], storage, desc.width, desc.height, bits, rect.pitch);
        } else {
            gfx::WriteLevel(pixels, storage, bits, rect.pitch);
        }
        texture.UnlockRect(level);
        previous = std::move(pixels);
    }
    return true;
}

// The normal maps of the loaded levels into a new A8R8G8B8 texture of the same size and levels.
bool FillBumpLevels(gfx::Texture& bump, const gfx::DecodedImage& image, bool smooth) {
    gfx::ImageLevel heights;
    for (uint32_t level = 0; level < bump.GetLevelCount(); ++level) {
        heights = level == 0 ? image.levels[0] : gfx::NextMipLevel(heights, smooth);
        gfx::LockedRect rect;
        if (!gfx::Succeeded(bump.LockRect(level, &rect, gfx::kLockNone))) return false;
        gfx::WriteLevel(gfx::NormalMapFromRed(heights), gfx::fmt::A8R8G8B8, static_cast<uint8_t*>(rect.bits),
                        rect.pitch);
        bump.UnlockRect(level);
    }
    return true;
}

}  // namespace

Texture::~Texture() {
    SRFree();
}

gfx::Format Texture::CalcFormatFromType(uint32_t type) {
    bool colour32 = GetSetup().colour32 != 0;
    switch (type) {
    case FROM_FILE: return gfx::fmt::Unknown;
    case OPAQUE:
        if (colour32) return gfx::fmt::X8R8G8B8;
        return CheckTextureFormat(gfx::fmt::R5G6B5) ? gfx::fmt::R5G6B5 : gfx::fmt::X1R5G5B5;
    case ALPHA:
        if (colour32) return gfx::fmt::A8R8G8B8;
        return CheckTextureFormat(gfx::fmt::A4R4G4B4) ? gfx::fmt::A4R4G4B4 : gfx::fmt::A1R5G5B5;
    case COMPRESSED: return gfx::fmt::DXT5;
    case BUMP: return gfx::fmt::X8R8G8B8;
    default:
        ReportMisuse("Internal DXG error: Unable to find compatible format in CalcFormatFromType.\n",
                     kCallMadeFrom);
        return type;
    }
}

uint32_t Texture::DeduceTypeFromFormat(gfx::Format format) {
    namespace f = gfx::fmt;
    switch (format) {
    case f::R8G8B8:
    case f::X8R8G8B8:
    case f::R5G6B5:
    case f::X1R5G5B5:
    case f::R3G3B2:
    case f::X4R4G4B4:
    case f::X8B8G8R8:
    case f::G16R16: return OPAQUE;
    case f::A8R8G8B8:
    case f::A1R5G5B5:
    case f::A4R4G4B4:
    case f::A8R3G3B2:
    case f::A2B10G10R10:
    case f::A8B8G8R8:
    case f::A2R10G10B10:
    case f::A16B16G16R16:
    case f::P8: return ALPHA;
    case f::V8U8:
    case f::Q8W8V8U8:
    case f::V16U16:
    case f::Q16W16V16U16: return BUMP;
    default:
        ReportMisuse("Internal DXG Error: unable to deduce texture type from d3d format\n", "  -stack:");
        return ALPHA;
    }
}

void Texture::FreePayload() {
    if (!IsReady()) ReportNotInitialized("DXG::Texture::Load");
    ScopedLock lock;
    m_record->payload.deviceTexture.reset();
}

bool Texture::Load(const std::string& fileName, uint32_t type, bool mipmaps, bool smooth) {
    if (!IsReady()) {
        ReportNotInitialized("DXG::Texture::Load");
        return false;
    }
    RegisterDeviceLostHandler();
    return LoadFile(fileName, false, type, mipmaps, smooth);
}

bool Texture::LoadColorKeyed(const std::string& fileName) {
    if (!IsReady()) {
        ReportNotInitialized("DXG::Texture::Load");
        return false;
    }
    return LoadFile(fileName, true, FROM_FILE, false, false);
}

bool Texture::LoadFile(const std::string& fileName, bool colourKey, uint32_t type, bool mipmaps,
                       bool smooth) {
    if (m_record != nullptr && SameName(m_record->payload.fileName, fileName)) return true;
    SRFree();
    if (type == FREE) {
        ReportMisuse("Error: attempt to load texture of type FREE\n", kCallMadeFrom);
        return false;
    }
    ScopedLock lock;
    for (auto* record : Registry()) {
        if (!record->payload.fileName.empty() && SameName(record->payload.fileName, fileName)) {
            SRShare(record);
            return true;
        }
    }

    const std::string quoted = "\"" + fileName + "\"\n";
    std::vector<uint8_t> bytes;
    gfx::ImageFileInfo info;
    if (!gfx::ReadImageFileBytes(fileName, &bytes) ||
        !gfx::ReadImageFileInfo(bytes.data(), bytes.size(), &info)) {
        ReportMisuse("Failed to load image " + quoted, kCallMadeFrom);
        return false;
    }
    if (!IsPowerOfTwo(info.width) || !IsPowerOfTwo(info.height)) {
        ReportMisuse("Unable to load image " + quoted + "  -dimensions must be powers of 2\n", kCallMadeFrom);
        return false;
    }
    if (info.resourceType != gfx::ImageResourceType::Surface &&
        info.resourceType != gfx::ImageResourceType::Texture) {
        ReportMisuse(
            "Unable to load image " + quoted + "  -image type must be either a surface or a texture\n",
            kCallMadeFrom);
        return false;
    }
    if (colourKey && gfx::FormatHasAlpha(info.format)) {
        ReportMisuse("Unable to load image " + quoted +
                         "  -cannot apply colorkey-based loading to images with an alpha channel\n",
                     kCallMadeFrom);
        return false;
    }
    gfx::Format ruleFormat = CalcFormatFromType(type);
    gfx::Format storage =
        ruleFormat == gfx::fmt::Unknown ? FileStorageFormat(info.format, colourKey) : ruleFormat;
    uint32_t levels = 1;
    if (mipmaps) levels = uint32_t(std::max(1, HighestBit(std::min(info.width, info.height)) - 2));

    // What the image library does in one call: decode, create, fill the levels.
    gfx::Device* device = GetDevice();
    gfx::Result result = gfx::Result::Fail;
    std::shared_ptr<gfx::Texture> loaded;
    gfx::DecodedImage image;
    if (device == nullptr) {
        result = gfx::Result::Fail;
    } else if (!gfx::DecodeImageFile(bytes.data(), bytes.size(), &image)) {
        result = gfx::Result::InvalidData;
    } else {
        result = device->CreateTexture(info.width, info.height, levels, gfx::kUsageNone, storage,
                                       gfx::Pool::Managed, &loaded);
        if (gfx::Succeeded(result) && !FillLevels(*loaded, storage, image, colourKey, smooth)) {
            loaded.reset();
            result = gfx::Result::Fail;
        }
    }
    if (!gfx::Succeeded(result)) {
        std::string message = "Failed to load image " + quoted;
        if (result == gfx::Result::OutOfVideoMemory) message += "  -graphics device out of memory\n";
        if (result == gfx::Result::NotAvailable)
            message += "  -graphics device doesn't support requested type\n";
        if (result == gfx::Result::InvalidData) message += "  -file contains invalid data\n";
        ReportMisuse(message, kCallMadeFrom);
        return false;
    }

    if (type == BUMP) {
        std::shared_ptr<gfx::Texture> bump;
        if (!gfx::Succeeded(device->CreateTexture(info.width, info.height, levels, gfx::kUsageNone,
                                                  gfx::fmt::A8R8G8B8, gfx::Pool::Managed, &bump))) {
            errorLog.Write("Failed to create bump texture to store " + fileName + " in.\n");
            return false;
        }
        if (!FillBumpLevels(*bump, image, smooth)) {
            errorLog.Write("Failed to generate bump map from height map file " + fileName + "\n");
            return false;
        }
        loaded = std::move(bump);
    }

    SRAlloc();
    TexturePayload& payload = m_record->payload;
    payload = TexturePayload();
    payload.fileName = fileName;
    payload.deviceTexture = std::move(loaded);
    payload.width = int32_t(info.width);
    payload.height = int32_t(info.height);
    payload.type = DeduceTypeFromFormat(info.format);
    payload.format = info.format;

    if (payload.width / payload.height > 8 || payload.height / payload.width > 8) {
        ReportMisuse(
            "warning: image \"" + fileName + "\" loaded successfully, but aspect ratio is greater than 8\n" +
                "  -aspect ratio more than 8 not recommended for best compatability with older hardware\n",
            kCallMadeFrom);
    }
    SampleFreeTextureMemory();
    return true;
}

bool Texture::Create(int32_t width, int32_t height, uint32_t type) {
    if (!IsReady()) {
        ReportNotInitialized("DXG::Texture::Create");
        return false;
    }
    RegisterDeviceLostHandler();
    SRFree();
    if (width <= 0 || height <= 0 || !IsPowerOfTwo(uint32_t(width)) || !IsPowerOfTwo(uint32_t(height))) {
        ReportMisuse("Cannot create texture:\n  -dimensions must be powers of 2\n", kAttemptMadeFrom);
    }
    std::shared_ptr<gfx::Texture> created;
    gfx::Result result = gfx::Result::Fail;
    {
        ScopedLock lock;
        gfx::Device* device = GetDevice();
        if (device != nullptr && width > 0 && height > 0) {
            result = device->CreateTexture(uint32_t(width), uint32_t(height), 1, gfx::kUsageNone,
                                           gfx::fmt::X8R8G8B8, gfx::Pool::Managed, &created);
        }
    }
    if (!gfx::Succeeded(result)) {
        ReportMisuse("Texture creation failed.\n", "  -call made from: ");
        return false;
    }
    SRAlloc();
    TexturePayload& payload = m_record->payload;
    payload = TexturePayload();
    payload.type = type;
    payload.width = width;
    payload.height = height;
    payload.deviceTexture = std::move(created);
    SampleFreeTextureMemory();
    return true;
}

}  // namespace DXG
