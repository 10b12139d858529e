#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/FrameRateOverlay.h"
#include "gfx/DdsWriter.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {

class FrameRateOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        WriteTextFile("data/font12.dds", gfx::DdsArgbFile(256, 256, {}));  // a blank font
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        ClearLog(errorLog);
    }
    void TearDown() override { ResetProcessState(); }
    std::vector<gfx::RecordedDraw> Render() {
        EXPECT_TRUE(DXG::BeginFrame(0.0f, false, false));
        device->ClearRecord();
        FrameRateOverlay::Render();
        DXG::EndFrame0();
        return device->draws;
    }
    ScratchFolder folder{"overlay"};
    WorkingDirectory cwd{folder.path()};
    gfx::RecordingDevice* device = nullptr;
};

TEST_F(FrameRateOverlayTest, TwoLinesOfGlyphsAtFiveFiveGoneAfterAReleaseAndNoneBeforeTheFoundation) {
    int liveBefore = memoryTracker.LiveAllocations();
    FrameRateOverlay::Update(0.5f);
    FrameRateOverlay::Update(0.04f);
    const std::string text = "FPS: 25\nFPS (last 5 avg): 5";
    ASSERT_EQ(FrameRateOverlay::CurrentText(), text);
    auto draws = Render();
    ASSERT_EQ(draws.size(), 1u);
    const gfx::RecordedDraw& d = draws[0];
    EXPECT_EQ(d.VertexCount(), 6u * (text.size() - 1));  // one glyph per byte but the line feed
    gfx::ScreenVertex first = d.Screen(0), secondLine = d.Screen(6 * 7);
    EXPECT_EQ(std::make_tuple(first.x, first.y, first.colour), std::make_tuple(4.5f, 4.5f, 0xffffffffu));
    EXPECT_EQ(std::make_pair(secondLine.x, secondLine.y), std::make_pair(4.5f, 16.5f));
    EXPECT_EQ(LogText(errorLog), "");
    FrameRateOverlay::Release();
    EXPECT_EQ(memoryTracker.LiveAllocations(), liveBefore);
    EXPECT_TRUE(Render().empty());
    // None is made before the foundation is ready.
    ResetProcessState();
    FrameRateOverlay::Update(0.1f);
    EXPECT_FALSE(FrameRateOverlay::Exists());
}

TEST_F(FrameRateOverlayTest, AverageFillsUpOverFiveUpdates) {
    for (const char* average : {"20", "40", "60", "80", "100", "100"}) {
        FrameRateOverlay::Update(0.01f);
        EXPECT_EQ(FrameRateOverlay::CurrentText(), std::string("FPS: 100\nFPS (last 5 avg): ") + average);
    }
    const float history[4] = {};  // a zero-length frame shows 0, not garbage
    EXPECT_EQ(FrameRateOverlay::FormatText(0.0f, history), "FPS: 0\nFPS (last 5 avg): 0");
}

TEST_F(FrameRateOverlayTest, CountsTheUnclampedSecondsOfAnUpdate) {
    AddScene(NewProbeScene("S"));
    UpdateScenes(0.1f);
    UpdateScenes(4.0f);  // 0.5 s for the scene
    EXPECT_EQ(FrameRateOverlay::CurrentText().substr(0, 7), "FPS: 0\n");
}

}  // namespace
