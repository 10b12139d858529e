// The floor texture builds: corners, clipping and count when recorded; processor against render target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/DataTestFiles.h"
#include "runtime/ProcessState.h"
#include "support/GlFrameTest.h"
#include "testing/DxgTesting.h"
#include "testing/FloorReference.h"
#include "world/FloorTextures.h"

namespace {

// Palette indices 1 to 4 are red, green, blue and yellow; the others a spread of colours.
void LoadTestPalette() {
    std::string rgb;
    for (int i = 0; i < 256; ++i) rgb += {char(i * 37), char(i * 91 + 50), char(255 - i)};
    rgb.replace(3, 12, "\xff\0\0\0\xff\0\0\0\xff\xff\xff\0", 12);
    WriteTextFile("floor.pcx", std::string(128, '\0') + rgb);
    loadPcxPalette("floor.pcx");
}

// A diamond filling a 62 x 31 image; index(x, y) inside it, the transparent index 0 outside.
template <class Index>
SpkShapeLayout Diamond(Index index) {
    SpkShapeLayout shape{62, 31, {}};
    shape.rowsTopFirst.assign(31, std::vector<std::uint8_t>(62, 0));
    for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 62; ++x)
            if (std::fabs(x - 30.5f) / 31.0f + std::fabs(y - 15.0f) / 15.5f <= 1.0f)
                shape.rowsTopFirst[y][x] = std::uint8_t(index(x, y));
    return shape;
}

// Each part in the colour of its corner: top red, right green, bottom blue, left yellow.
SpkShapeLayout CornerDiamond() {
    return Diamond([](int x, int y) { return y < 8 ? 1 : y > 22 ? 3 : x < 31 ? 4 : 2; });
}

SpkArchive Archive(const std::vector<SpkShapeLayout>& shapes) {
    const std::string bytes = SpkFileBytes(shapes);
    SpkArchive archive;
    archive.loadBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return archive;
}

// The 64 x 64 pixels of a built texture, the unused top byte masked off.
std::vector<std::uint32_t> Pixels(const DXG::Texture& texture) {
    std::vector<std::uint32_t> pixels;
    gfx::LockedRect lock;
    const auto device = texture.GetDeviceTexture();
    if (!device || device->LockRect(0, &lock, gfx::kLockReadOnly) != gfx::Result::Ok) return pixels;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            pixels.push_back(static_cast<const std::uint32_t*>(lock.bits)[y * lock.pitch / 4 + x] & 0xFFFFFF);
    device->UnlockRect(0);
    return pixels;
}

class FloorTextures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(DXG::InitRecordingForTests(), nullptr);
        LoadTestPalette();
    }
    void TearDown() override { ResetProcessState(); }
};

// Only the 256 shapes a floor number reaches become textures.
TEST_F(FloorTextures, DiamondCornersBecomeTheSquareCornersAndOversizedShapesAreClipped) {
    std::vector<SpkShapeLayout> shapes(300, CornerDiamond());
    shapes[1] = PatternShape(90, 70, 5), shapes[2] = PatternShape(64, 64, 5);
    std::vector<DXG::Texture> textures;
    ASSERT_TRUE(BuildFloorTextures(Archive(shapes), textures));
    ASSERT_EQ(textures.size(), 256u);
    EXPECT_EQ(Pixels(textures[1]), Pixels(textures[2]));
    const std::vector<uint32_t> square = Pixels(textures[0]);
    // Transparent pixels around a diamond's tip darken the square's corner but never tint it.
    const uint32_t corners[][3] = {
        {0, 0, 0xFF0000}, {63, 0, 0x00FF00}, {63, 63, 0x0000FF}, {0, 63, 0xFFFF00}};
    for (const auto& corner : corners) {
        const uint32_t pixel = square.at(corner[1] * 64 + corner[0]);
        EXPECT_EQ(pixel & ~corner[2], 0u) << corner[0] << "," << corner[1];
        EXPECT_GE(std::max({pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF}), 0x80u)
            << std::hex << pixel;
    }
}

using FloorTexturesGl = GlFrameTest;

TEST_F(FloorTexturesGl, ProcessorSquaresMatchTheRenderTargetWithin1PerChannel) {
    Start(false);
    LoadTestPalette();
    SpkShapeLayout big = PatternShape(80, 70, 9);
    big.rowsTopFirst[0][0] = 200;  // the transparent index
    // Neighbouring texels of the second diamond differ wildly, so any error of the filter shows.
    const SpkArchive archive =
        Archive({CornerDiamond(),
                 Diamond([](int x, int y) { return 1 + (x * 7919 + y * 104729 + x * y * 31) % 255; }), big});
    std::vector<DXG::Texture> processor, renderTarget;
    ASSERT_TRUE(BuildFloorTextures(archive, processor));
    ASSERT_TRUE(BuildFloorTexturesByRenderTarget(archive, renderTarget));
    ASSERT_EQ(renderTarget.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const std::vector<std::uint32_t> a = Pixels(processor[k]), b = Pixels(renderTarget[k]);
        ASSERT_EQ(b.size(), 64u * 64u);
        // OpenGL's fill rule may leave row 0 (on the quad's top edge) undrawn: compared only when drawn.
        const bool topRowDrawn =
            std::any_of(b.begin(), b.begin() + 64, [](std::uint32_t p) { return p != 0; });
        for (std::size_t i = topRowDrawn ? 0 : 64; i < b.size(); ++i)
            for (int shift = 0; shift < 24; shift += 8)
                ASSERT_LE(std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)), 1)
                    << "shape " << k << " at " << i % 64 << "," << i / 64;
    }
}

}  // namespace
