// The drawing's contract: known worlds drawn by the OpenGL device and read back must equal, byte for byte,
// the pictures committed in tests/world/pictures. A change made for speed that alters one byte fails here.
// VELM_RECORD_PICTURES=1 writes the pictures instead of comparing (only for a deliberate change of the
// picture, never to make this test pass).
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/GlFrameTest.h"
#include "support/ReferenceWorlds.h"

namespace {

namespace fs = std::filesystem;

// The frame's colour bytes, top row first, red-green-blue: the frame's alpha is not part of the picture.
std::vector<std::uint8_t> RgbBytes(const gfx::Image& image) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(image.pixels.size() * 3);
    for (std::uint32_t p : image.pixels) {
        rgb.push_back(std::uint8_t(p >> 16));
        rgb.push_back(std::uint8_t(p >> 8));
        rgb.push_back(std::uint8_t(p));
    }
    return rgb;
}

bool WritePng(const fs::path& path, int width, int height, const std::vector<std::uint8_t>& rgb) {
    stbi_write_png_compression_level = 9;
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

struct Picture {
    const char* name;
    std::function<bool(std::vector<DXG::Texture>&)> build;  // none: no world, the chat over a cleared frame
    float yaw;
    bool chat = false;  // the bench's full chat window drawn over the world
};

constexpr float kPi = 3.14159265f;

class ReferencePictures : public GlFrameTest, public ::testing::WithParamInterface<Picture> {
protected:
    void SetUp() override {
        GlFrameTest::SetUp();
        if (IsSkipped()) return;
        fs::copy(fs::path(std::getenv("VELM_BIN_DIR")) / "game", folder.path() / "game",
                 fs::copy_options::recursive);
        cwd.emplace(folder.path() / "game");
        Start(false);
    }
    void TearDown() override {
        for (DXG::Texture& t : floors) t.SRFree();
        GlFrameTest::TearDown();
        cwd.reset();
    }

    const fs::path workFolder = fs::current_path();  // the suite's own, where a differing frame is kept
    ScratchFolder folder{"reference-pictures"};
    std::optional<WorkingDirectory> cwd;
    std::vector<DXG::Texture> floors;
};

TEST_P(ReferencePictures, FrameEqualsTheCommittedPictureByteForByte) {
    const Picture& picture = GetParam();
    if (picture.build) {
        ASSERT_TRUE(picture.build(floors)) << LogText(errorLog);
        SetCameraYaw(picture.yaw);
    }
    std::unique_ptr<CTextWindow> chat = picture.chat ? reference::BenchChat() : nullptr;
    // The second frame is compared: it starts from the states the first one left.
    for (int frame = 0; frame < 2; ++frame) {
        if (frame == 1) {
            DXG::EndFrame0();
            DXG::EndFrame1();
        }
        OpenFrame();
        if (picture.build) renderWorld();
        if (chat) chat->Draw();
    }
    const gfx::Image frame = Frame();
    chat.reset();
    const std::vector<std::uint8_t> actual = RgbBytes(frame);
    const fs::path expectedPath = fs::path(std::getenv("VELM_SOURCE_DIR")) / "tests/world/pictures" /
                                  (std::string(picture.name) + ".png");
    if (std::getenv("VELM_RECORD_PICTURES") != nullptr) {
        ASSERT_TRUE(WritePng(expectedPath, int(frame.width), int(frame.height), actual));
        return;
    }

    int width = 0, height = 0, channels = 0;
    stbi_uc* expected = stbi_load(expectedPath.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(expected, nullptr) << expectedPath;
    const std::vector<std::uint8_t> wanted(expected, expected + std::size_t(width) * height * 3);
    stbi_image_free(expected);
    ASSERT_EQ(width, int(frame.width));
    ASSERT_EQ(height, int(frame.height));
    std::size_t differing = 0, first = 0;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        if (wanted[i] != actual[i] && differing++ == 0) first = i / 3;
    if (differing != 0) {
        // The frame as drawn, in the suite's working folder, for a look at what changed.
        const fs::path drawn = workFolder / (std::string(picture.name) + "-drawn.png");
        WritePng(drawn, int(frame.width), int(frame.height), actual);
        ADD_FAILURE() << differing << " bytes differ, the first at pixel (" << first % width << ", "
                      << first / width << "); the drawn frame is in " << drawn;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Worlds, ReferencePictures,
    ::testing::Values(Picture{"bench-yaw-0", reference::BuildBenchWorld, 0.0f},
                      Picture{"bench-yaw-quarter-pi", reference::BuildBenchWorld, kPi / 4},
                      Picture{"bench-yaw-1", reference::BuildBenchWorld, 1.0f},
                      Picture{"bench-yaw-three-halves-pi", reference::BuildBenchWorld, 3 * kPi / 2},
                      Picture{"demo", reference::BuildDemoWorld, kPi / 4},
                      Picture{"translucent", reference::BuildTranslucentWorld, kPi / 4},
                      Picture{"chat", nullptr, 0.0f, true},
                      Picture{"bench-chat", reference::BuildBenchWorld, 0.0f, true}),
    [](const ::testing::TestParamInfo<Picture>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (c == '-') c = '_';
        return name;
    });

}  // namespace
