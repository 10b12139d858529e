// The generated data files: the formats the loaders need, and the same bytes from every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "ImageTestSupport.h"
#include "gfx/ImageFile.h"
#include "support/TestSupport.h"

namespace {

const char* const kFiles[] = {"font12.dds", "pickINI.bmp", "walls/stone1.bmp", "misc/dream0.dds"};

std::filesystem::path GameData() {
    const char* bin = std::getenv("VELM_BIN_DIR");
    return std::filesystem::path(bin != nullptr ? bin : ".") / "game" / "data";
}

gfx::DecodedImage Decode(const std::filesystem::path& path) {
    auto bytes = imagetest::ReadBytes(path);
    gfx::DecodedImage image;
    EXPECT_TRUE(gfx::DecodeImageFile(bytes.data(), bytes.size(), &image)) << path;
    return image;
}

TEST(Assets, HaveThePixelFormatAndPowerOfTwoSizeAndTheMarkerHasBlackAsTheKeyAroundIt) {
    const gfx::Format formats[] = {gfx::fmt::A8R8G8B8, gfx::fmt::R8G8B8, gfx::fmt::R8G8B8,
                                   gfx::fmt::A8R8G8B8};
    auto powerOfTwo = [](uint32_t v) { return v != 0 && (v & (v - 1)) == 0; };
    for (int i = 0; i < 4; ++i) {
        gfx::DecodedImage image = Decode(GameData() / kFiles[i]);
        EXPECT_EQ(image.info.format, formats[i]) << kFiles[i];
        EXPECT_TRUE(powerOfTwo(image.info.width) && powerOfTwo(image.info.height)) << kFiles[i];
    }
    const auto p = Decode(GameData() / "pickINI.bmp").levels.at(0).argb;
    EXPECT_EQ(std::make_pair(p.front(), p.back()), std::make_pair(0xff000000u, 0xff000000u));
    EXPECT_GT(size_t(std::count_if(p.begin(), p.end(), [](uint32_t c) { return c != 0xff000000u; })),
              p.size() / 5);
}

TEST(Assets, GeneratorWritesTheSameBytesEveryRun) {
    ScratchFolder folder("assets_again");
    auto program = BuiltProgram("tools/make-assets/make-assets");
    ASSERT_EQ(RunCommand(program.string() + " /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf " +
                         folder.path().string()),
              0);
    for (const char* file : kFiles)
        EXPECT_EQ(imagetest::ReadBytes(folder.path() / file), imagetest::ReadBytes(GameData() / file))
            << file;
    EXPECT_NE(RunCommand(program.string() + " 2>/dev/null"), 0);
}

}  // namespace
