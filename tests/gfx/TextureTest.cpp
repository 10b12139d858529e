// DXG::Texture and the 2-D primitives over a RecordingDevice.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/Primitives.h"

using namespace imagetest;

namespace {

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
    // A failed load releases the held record.
    EXPECT_FALSE(first.Load("missing.bmp", DXG::FROM_FILE, false, false));
    EXPECT_FALSE(second.Load("missing.bmp", DXG::FROM_FILE, false, false));
    EXPECT_TRUE(DXG::Texture::Registry().empty());
}

TEST_F(TextureTest, RefusedLoadReportsItsMessageAndLeavesTheHandleBlank) {
    WriteBmp24("odd.bmp", 100, 64, std::vector<uint32_t>(100 * 64, 0xff808080));
    DXG::Texture t;
    EXPECT_FALSE(t.Load("odd.bmp", DXG::FROM_FILE, true, true));
    EXPECT_EQ(t.GetRecord(), nullptr);
    EXPECT_TRUE(
        Log().starts_with("Unable to load image \"odd.bmp\"\n  -dimensions must be powers of 2\n"
                          "  -call made from:\n"))
        << Log();
}

// Levels until the smaller side is 8 texels; the box filter greys columns alternating black and white.
TEST_F(TextureTest, MipLevelsFollowTheSmallerSideAndAreBoxFiltered) {
    std::vector<uint32_t> stripes(256 * 64);
    for (uint32_t i = 0; i < stripes.size(); ++i) stripes[i] = (i % 2) ? 0xffffffffu : 0xff000000u;
    WriteBmp24("mipped.bmp", 256, 64, stripes);
    DXG::Texture mipped;
    ASSERT_TRUE(mipped.Load("mipped.bmp", DXG::FROM_FILE, true, true));
    EXPECT_EQ(mipped.GetDeviceTexture()->GetLevelCount(), 4u);
    EXPECT_EQ(Level(mipped, 1)[0], 0xff808080u);
}

TEST_F(TextureTest, ColourKeyMakesOpaqueBlackTransparent) {
    WriteBmp24("data/pickINI.bmp", 2, 2, {0xff000000, 0xffff0000, 0xff000001, 0xff000000});
    DXG::Texture t;
    ASSERT_TRUE(t.LoadColorKeyed("data\\pickINI.bmp"));
    EXPECT_EQ(Level(t, 0), (std::vector<uint32_t>{0, 0xffff0000, 0xff000001, 0}));
}

TEST_F(TextureTest, CompressedFileWithoutATypeIsLoadedAsAlphaWithItsBlocksAsIs) {
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

// Its pixel rectangle with half-texel insets, from memory with the depth test off.
TEST_F(TextureTest, PlacedTextureDrawsItsPixelRectangleFromMemoryWithTheDepthTestOff) {
    DXG::Texture texture;
    ASSERT_TRUE(texture.Create(64, 32, DXG::OPAQUE));
    device->SetRenderState(gfx::RenderState::ZEnable, 1);
    device->ClearRecord();
    DXG::DrawTexture(10.0f, 20.0f, texture, 1.0f);
    ASSERT_EQ(device->draws.size(), 1u);
    const auto& d = device->draws[0];
    EXPECT_EQ(std::make_tuple(d.type, d.primitiveCount, d.fromMemory, d.fvf, d.stride,
                              d.State(gfx::RenderState::ZEnable)),
              std::make_tuple(gfx::PrimitiveType::TriangleFan, 2u, true, gfx::kFvfScreen, 28u, 0u));
    ASSERT_EQ(d.VertexCount(), 4u);
    const float u0 = 0.5f / 64, u1 = 1 - u0, v0 = 0.5f / 32, v1 = 1 - v0;
    const std::array<float, 4> expected[] = {
        {10.5f, 20.5f, u0, v0}, {74.5f, 20.5f, u1, v0}, {74.5f, 52.5f, u1, v1}, {10.5f, 52.5f, u0, v1}};
    for (uint32_t i = 0; i < 4; ++i) {
        gfx::ScreenVertex s = d.Screen(i);
        EXPECT_EQ((std::array<float, 4>{s.x, s.y, s.u, s.v}), expected[i]) << i;
        EXPECT_EQ(std::make_tuple(s.colour, s.z, s.rhw), std::make_tuple(0xffffffffu, 0.0f, 1.0f)) << i;
    }
}

TEST_F(TextureTest, BlankTextureIsReportedAndLostDeviceSkipsDrawingSilently) {
    DXG::Texture blank, texture;
    ASSERT_TRUE(texture.Create(64, 32, DXG::OPAQUE));
    ClearLog(errorLog);
    device->ClearRecord();
    DXG::DrawTexture(0, 0, blank, 1.0f);
    EXPECT_TRUE(device->draws.empty());
    EXPECT_TRUE(Log().starts_with("Error: Attempt to draw using a blank texture.\n  -attempt made from:\n"));

    DXG::EndFrame0();
    device->cooperativeLevel = gfx::Result::DeviceLost;
    EXPECT_FALSE(DXG::BeginFrame(0.0f, false, false));
    ClearLog(errorLog);
    device->ClearRecord();
    DXG::DrawTexture(0, 0, texture, 1.0f);
    EXPECT_TRUE(device->calls.empty());
    EXPECT_EQ(Log(), "");
}

}  // namespace
