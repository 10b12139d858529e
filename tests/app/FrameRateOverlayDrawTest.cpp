// The frame-rate overlay drawn: its two lines of glyphs at (5, 5) over the scene, gone after a lost device.
#include <gtest/gtest.h>

#include <fstream>

#include "AppTestSupport.h"
#include "app/FrameRateOverlay.h"
#include "runtime/MemoryTracker.h"
#include "support/TestSupport.h"

namespace {

// A blank 256 x 256 A8R8G8B8 font file, so the overlay loads a font without the generated assets.
void WriteBlankFont(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    const uint32_t header[32] = {0x20534444, 124,      0x100f, 256,  256,         1024,   0, 1, 0,  0,    0,
                                 0,          0,        0,      0,    0,           0,      0, 0, 32, 0x41, 0,
                                 32,         0xff0000, 0xff00, 0xff, 0xff000000u, 0x1000, 0, 0, 0,  0};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    std::string pixels(256 * 256 * 4, '\0');
    out.write(pixels.data(), std::streamsize(pixels.size()));
}

class FrameRateOverlayDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSceneManagerForTests();
        folder = std::make_unique<ScratchFolder>("overlay");
        cwd = std::make_unique<WorkingDirectory>(folder->path());
        WriteBlankFont(folder->path() / "data" / "font12.dds");
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        ClearLog(errorLog);
    }
    void TearDown() override {
        resetSceneManagerForTests();
        DXG::resetForTests();
        cwd.reset();
        folder.reset();
    }
    gfx::RecordingDevice* device = nullptr;
    std::unique_ptr<ScratchFolder> folder;
    std::unique_ptr<WorkingDirectory> cwd;
};

TEST_F(FrameRateOverlayDrawTest, TwoLinesOfGlyphsAtFiveFive) {
    int liveBefore = memoryTracker.LiveAllocationsForTests();
    FrameRateOverlay::Update(0.04f);  // "FPS: 25\nFPS (last 5 avg): 5"
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore + 1);
    ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
    device->ClearRecord();
    FrameRateOverlay::Render();
    DXG::EndFrame0();
    ASSERT_EQ(device->draws.size(), 1u);
    const gfx::RecordedDraw& d = device->draws[0];
    const std::string text = "FPS: 25\nFPS (last 5 avg): 5";
    ASSERT_EQ(FrameRateOverlay::CurrentText(), text);
    EXPECT_EQ(d.VertexCount(), 6u * (text.size() - 1));
    gfx::ScreenVertex first = d.Screen(0), secondLine = d.Screen(6 * 7);
    EXPECT_EQ(std::make_pair(first.x, first.y), std::make_pair(4.5f, 4.5f));
    EXPECT_EQ(std::make_pair(secondLine.x, secondLine.y), std::make_pair(4.5f, 16.5f));
    EXPECT_FLOAT_EQ(d.Screen(6 * 6).x, 4.5f + 6 * 8);  // the "5" of "25"
    EXPECT_EQ(first.colour, 0xffffffffu);
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(FrameRateOverlayDrawTest, NextUpdateReplacesTheText) {
    FrameRateOverlay::Update(0.5f);
    FrameRateOverlay::Update(0.25f);
    EXPECT_EQ(FrameRateOverlay::CurrentText(), "FPS: 4\nFPS (last 5 avg): 1");
    ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
    device->ClearRecord();
    FrameRateOverlay::Render();
    DXG::EndFrame0();
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].VertexCount(), 6u * 25);  // 26 bytes, one of them the line feed
}

TEST_F(FrameRateOverlayDrawTest, ReleasedOverlayDrawsNothingAndComesBack) {
    int liveBefore = memoryTracker.LiveAllocationsForTests();
    FrameRateOverlay::Update(0.1f);
    FrameRateOverlay::Release();
    EXPECT_EQ(memoryTracker.LiveAllocationsForTests(), liveBefore);
    ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
    device->ClearRecord();
    FrameRateOverlay::Render();
    EXPECT_TRUE(device->draws.empty());
    FrameRateOverlay::Update(0.1f);
    FrameRateOverlay::Render();
    DXG::EndFrame0();
    EXPECT_EQ(device->draws.size(), 1u);
}

}  // namespace
