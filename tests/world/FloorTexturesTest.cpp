// The floor texture builds over a recording device: the list they leave, the work textures they release,
// the diamond's corners in the square, clipping of oversized shapes and a texture that cannot be locked.
#include <gtest/gtest.h>

#include "FloorTexturesTestSupport.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"
#include "testing/DxgTesting.h"
#include "world/FloorTextures.h"

namespace {

class FloorTextures : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        LoadTestPalette();
        ClearLog(errorLog);
    }
    void TearDown() override { ResetProcessState(); }
    gfx::RecordingDevice* device = nullptr;
};

TEST_F(FloorTextures, EmptyArchiveEmptiesTheListAndReleasesEveryWorkTexture) {
    const struct {
        const char* name;
        bool (*build)(const SpkArchive&, std::vector<DXG::Texture>&);
    } builds[] = {{"processor", BuildFloorTextures}, {"render target", BuildFloorTexturesByRenderTarget}};
    for (const auto& way : builds) {
        SCOPED_TRACE(way.name);
        std::vector<DXG::Texture> textures(2);
        for (DXG::Texture& texture : textures) ASSERT_TRUE(texture.Create(64, 64, DXG::OPAQUE));
        const uint64_t before = device->GetAvailableTextureMem();
        const auto target = device->GetRenderTarget();
        EXPECT_TRUE(way.build(SpkArchive(), textures));
        EXPECT_TRUE(textures.empty());
        EXPECT_EQ(device->GetAvailableTextureMem(), before + 2 * 64 * 64 * 4);
        EXPECT_EQ(device->GetRenderTarget(), target);
    }
    EXPECT_EQ(device->CountCalls("CreateTexture"), 2u + 2u + 3u);  // the two lists, then the work textures
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(FloorTextures, DiamondCornersBecomeTheSquareCorners) {
    std::vector<DXG::Texture> textures;
    ASSERT_TRUE(BuildFloorTextures(Archive({CornerDiamond()}), textures));
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].GetWidth(), 64);
    EXPECT_EQ(textures[0].GetType(), uint32_t(DXG::OPAQUE));
    const std::vector<uint32_t> square = Pixels(textures[0]);
    ASSERT_EQ(square.size(), 64u * 64u);
    // Top corner top-left in red, right corner top-right in green, bottom corner bottom-right in blue, left
    // corner bottom-left in yellow; transparent pixels around the tips darken them, never tint them.
    const struct {
        int x, y;
        uint32_t mask;
    } corners[] = {{0, 0, 0xFF0000}, {63, 0, 0x00FF00}, {63, 63, 0x0000FF}, {0, 63, 0xFFFF00}};
    for (const auto& corner : corners) {
        SCOPED_TRACE(testing::Message() << corner.x << "," << corner.y);
        const uint32_t pixel = square[size_t(corner.y * 64 + corner.x)];
        EXPECT_EQ(pixel & ~corner.mask, 0u) << std::hex << pixel;
        EXPECT_GE(std::max({pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF}), 0x80u)
            << std::hex << pixel;
    }
    EXPECT_EQ(square[32 * 64 + 32] & 0xFF, 0u);  // the centre lies where no blue is drawn
}

TEST_F(FloorTextures, OversizedShapeIsClippedToItsTopLeft64Square) {
    SpkShapeLayout big = PatternShape(90, 70, 5), clipped = PatternShape(64, 64, 5);
    for (auto& row : big.rowsTopFirst) row[0] = 5;  // the transparent index stays the key colour
    for (auto& row : clipped.rowsTopFirst) row[0] = 5;
    std::vector<DXG::Texture> textures;
    ASSERT_TRUE(BuildFloorTextures(Archive({big, clipped}), textures));
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(Pixels(textures[0]), Pixels(textures[1]));
}

TEST_F(FloorTextures, TextureThatCannotBeLockedEndsTheBuildWithTheMessage) {
    device->lockResult = gfx::Result::Fail;
    std::vector<DXG::Texture> textures;
    EXPECT_FALSE(BuildFloorTextures(Archive({CornerDiamond(), CornerDiamond()}), textures));
    EXPECT_TRUE(textures.empty());
    EXPECT_EQ(LogText(errorLog), "Failed to lock final texture.\n");
}

}  // namespace
