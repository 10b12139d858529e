// The generated data files: the same bytes from every run.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"

namespace {

const char* const kFiles[] = {"font12.dds", "pickINI.bmp", "walls/stone1.bmp", "misc/dream0.dds"};

std::filesystem::path GameData() {
    const char* bin = std::getenv("VELM_BIN_DIR");
    return std::filesystem::path(bin != nullptr ? bin : ".") / "game" / "data";
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
