// DXG::Texture over a RecordingDevice.
#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestSupport.h"

using namespace imagetest;

namespace {

std::vector<uint32_t> Solid(uint32_t w, uint32_t h, uint32_t argb) {
    return std::vector<uint32_t>(w * h, argb);
}

// A device texture level's rows read through a lock; rowBytes 0 for its 32-bit pixels.
template <class T = uint32_t>
std::vector<T> Level(const DXG::Texture& t, uint32_t level, uint32_t rowBytes = 0, uint32_t rows = 0) {
    auto texture = t.GetDeviceTexture();
    gfx::SurfaceDesc desc = texture->GetLevelDesc(level);
    if (rowBytes == 0) rowBytes = desc.width * 4, rows = desc.height;
    gfx::LockedRect rect;
    EXPECT_TRUE(gfx::Succeeded(texture->LockRect(level, &rect, gfx::kLockReadOnly)));
    std::vector<T> out(rowBytes * rows / sizeof(T));
    for (uint32_t y = 0; y < rows; ++y)
        std::memcpy(reinterpret_cast<uint8_t*>(out.data()) + y * rowBytes,
                    static_cast<uint8_t*>(rect.bits) + y * rect.pitch, rowBytes);
    texture->UnlockRect(level);
    return out;
}

using TextureTest = RecordingTest;

TEST_F(TextureTest, HandlesShareOneCachedRecordByCaseInsensitiveName) {
    auto pixels = Pattern(16, 8, false);
    WriteBmp24("data/walls/stone1.bmp", 16, 8, pixels);
    DXG::Texture first, second;
    ASSERT_TRUE(first.Load("data\\walls\\stone1.bmp", DXG::FROM_FILE, true, true));
    EXPECT_EQ(Level(first, 0), pixels);

    std::filesystem::remove("data/walls/stone1.bmp");  // later loads read no file
    ASSERT_TRUE(second.Load("DATA\\Walls\\STONE1.BMP", DXG::FROM_FILE, true, true));
    EXPECT_EQ(first.GetRecord(), second.GetRecord());
    device->ClearRecord();
    EXPECT_TRUE(second.Load("data\\walls\\stone1.BMP", DXG::ALPHA, false, false));  // already held
    EXPECT_EQ(first.GetRecord()->count, 2u);
    EXPECT_TRUE(device->calls.empty());
    // A failed load releases the held record.
    EXPECT_FALSE(first.Load("missing.bmp", DXG::FROM_FILE, false, false));
    EXPECT_FALSE(second.Load("missing.bmp", DXG::FROM_FILE, false, false));
    EXPECT_TRUE(DXG::Texture::Registry().empty());
}

TEST_F(TextureTest, RefusedLoadsReportTheirMessageAndLeaveTheHandleBlank) {
    WriteBmp24("odd.bmp", 100, 64, Solid(100, 64, 0xff808080));
    WriteBmp24("pic.bmp", 8, 8, Solid(8, 8, 0xff000000));
    WriteDdsArgb("alpha.dds", 8, 8, Solid(8, 8, 0x80ffffff));
    WriteDdsArgb("cube.dds", 4, 4, Solid(4, 4 * 6, 0xff00ff00));  // room for six faces
    WriteBytes("cube.dds", Put32(ReadBytes("cube.dds"), 112, 0xfe00));
    auto cut = ReadBytes("alpha.dds");
    WriteBytes("cut.dds", std::vector<uint8_t>(cut.begin(), cut.begin() + 128 + 50));
    const struct {
        const char* file;
        bool colourKey;
        std::string message;                   // before the call stack
        gfx::Result create = gfx::Result::Ok;  // forced device outcome
    } cases[] = {
        {"odd.bmp", false, "Unable to load image \"odd.bmp\"\n  -dimensions must be powers of 2\n"},
        {"cube.dds", false,
         "Unable to load image \"cube.dds\"\n  -image type must be either a surface or a texture\n"},
        {"alpha.dds", true,
         "Unable to load image \"alpha.dds\"\n  -cannot apply colorkey-based loading to images with an alpha "
         "channel\n"},
        {"cut.dds", false, "Failed to load image \"cut.dds\"\n  -file contains invalid data\n"},
        {"pic.bmp", false, "Failed to load image \"pic.bmp\"\n  -graphics device out of memory\n",
         gfx::Result::OutOfVideoMemory},
    };
    for (const auto& c : cases) {
        ClearLog(errorLog);
        device->createTextureResult = c.create;
        DXG::Texture t;
        EXPECT_FALSE(c.colourKey ? t.LoadColorKeyed(c.file) : t.Load(c.file, DXG::FROM_FILE, true, true))
            << c.message;
        EXPECT_EQ(t.GetRecord(), nullptr) << c.message;
        EXPECT_TRUE(Log().starts_with(c.message + "  -call made from:\n") && Log().back() == '\n') << Log();
    }
    device->createTextureResult = gfx::Result::Ok;
}

// Levels until the smaller side is 8 texels; the box filter greys columns alternating black and white.
TEST_F(TextureTest, MipLevelsFollowTheSmallerSideAndAreBoxFiltered) {
    std::vector<uint32_t> stripes(256 * 64);
    for (uint32_t i = 0; i < stripes.size(); ++i) stripes[i] = (i % 2) ? 0xffffffffu : 0xff000000u;
    WriteBmp24("mipped.bmp", 256, 64, stripes);
    WriteBmp24("single.bmp", 256, 64, stripes);
    DXG::Texture mipped, single;
    ASSERT_TRUE(mipped.Load("mipped.bmp", DXG::FROM_FILE, true, true));
    ASSERT_TRUE(single.Load("single.bmp", DXG::FROM_FILE, false, false));
    EXPECT_EQ(mipped.GetDeviceTexture()->GetLevelCount(), 4u);
    EXPECT_EQ(single.GetDeviceTexture()->GetLevelCount(), 1u);
    EXPECT_EQ(Level(mipped, 1)[0], 0xff808080u);
}

TEST_F(TextureTest, ColourKeyMakesOpaqueBlackTransparent) {
    WriteBmp24("data/pickINI.bmp", 2, 2, {0xff000000, 0xffff0000, 0xff000001, 0xff000000});
    DXG::Texture t;
    ASSERT_TRUE(t.LoadColorKeyed("data\\pickINI.bmp"));
    EXPECT_EQ(Level(t, 0), (std::vector<uint32_t>{0, 0xffff0000, 0xff000001, 0}));
}

TEST_F(TextureTest, TypeIsDeducedFromTheFilesPixelFormat) {
    WriteDdsArgb("alpha.dds", 4, 4, Solid(4, 4, 0x80ff0000));
    DXG::Texture alpha;
    ASSERT_TRUE(alpha.Load("alpha.dds", DXG::OPAQUE, false, false));
    EXPECT_EQ(alpha.GetType(), uint32_t(DXG::ALPHA));
    EXPECT_EQ(alpha.GetDeviceTexture()->GetLevelDesc(0).format, gfx::fmt::X8R8G8B8);  // the type's format

    // A DXT5 file: no type for its format, so the internal error and ALPHA; its blocks are uploaded as is.
    ASSERT_TRUE(
        Convert("-size 8x8 xc:red -alpha set -channel A -evaluate set 50% -define "
                "dds:compression=dxt5 -define dds:mipmaps=0 blocks.dds"));
    DXG::Texture blocks;
    ASSERT_TRUE(blocks.Load("blocks.dds", DXG::FROM_FILE, false, false));
    EXPECT_EQ(blocks.GetType(), uint32_t(DXG::ALPHA));
    EXPECT_TRUE(
        Log().starts_with("Internal DXG Error: unable to deduce texture type from d3d format\n  -stack:"));
    ASSERT_EQ(blocks.GetDeviceTexture()->GetLevelDesc(0).format, gfx::fmt::DXT5);
    auto file = ReadBytes("blocks.dds");
    EXPECT_EQ(Level<uint8_t>(blocks, 0, 32, 2), std::vector<uint8_t>(file.begin() + 128, file.end()));
}

TEST_F(TextureTest, CreateWarnsOnOddSizesAndDeviceLossDropsOnlyVolatileTextures) {
    DXG::Texture kept, dropped, failed;
    ASSERT_TRUE(kept.Create(64, 48, DXG::OPAQUE));
    EXPECT_TRUE(Log().starts_with(
        "Cannot create texture:\n  -dimensions must be powers of 2\n  -attempt made from:\n"));
    ClearLog(errorLog);
    device->createTextureResult = gfx::Result::OutOfVideoMemory;
    EXPECT_FALSE(failed.Create(64, 64, DXG::OPAQUE));
    EXPECT_TRUE(Log().starts_with("Texture creation failed.\n  -call made from: "));

    device->createTextureResult = gfx::Result::Ok;
    ASSERT_TRUE(dropped.Create(8, 8, DXG::VOLATILE));
    DXG::EndFrame0();
    device->cooperativeLevel = gfx::Result::DeviceLost;
    EXPECT_FALSE(DXG::BeginFrame(0.0f, false, false));
    EXPECT_NE(kept.GetDeviceTexture(), nullptr);
    EXPECT_EQ(dropped.GetDeviceTexture(), nullptr);
    EXPECT_FALSE(dropped.IsBlank());  // the record stays; only its device texture went
}

}  // namespace
