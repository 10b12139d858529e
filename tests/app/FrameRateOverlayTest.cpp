// The frame-rate overlay's texts: the rate of the frame and the five-update average with missing history
// counted as zero.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/FrameRateOverlay.h"
#include "runtime/ProcessState.h"

namespace {

class FrameRateOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        ASSERT_NE(DXG::InitRecordingForTests(), nullptr);
    }
    void TearDown() override { ResetProcessState(); }
};

TEST_F(FrameRateOverlayTest, AverageFillsUpOverFiveUpdates) {
    for (const char* average : {"20", "40", "60", "80", "100", "100"}) {
        FrameRateOverlay::Update(0.01f);
        EXPECT_EQ(FrameRateOverlay::CurrentText(), std::string("FPS: 100\nFPS (last 5 avg): ") + average);
    }
    const float history[4] = {};  // a zero-length frame shows 0, not garbage
    EXPECT_EQ(FrameRateOverlay::FormatText(0.0f, history), "FPS: 0\nFPS (last 5 avg): 0");
}

TEST_F(FrameRateOverlayTest, NoOverlayBeforeTheFoundationIsReady) {
    ResetProcessState();
    FrameRateOverlay::Update(0.1f);
    EXPECT_FALSE(FrameRateOverlay::Exists());
    EXPECT_EQ(FrameRateOverlay::CurrentText(), "");
}

TEST_F(FrameRateOverlayTest, UsesUnclampedSecondsWhileScenesGetHalfASecond) {
    ProbeScene* scene = NewProbeScene("S");
    AddScene(scene);
    UpdateScenes(0.1f);
    UpdateScenes(4.0f);
    EXPECT_EQ(scene->updates.back(), 0.5f);
    EXPECT_EQ(FrameRateOverlay::CurrentText().substr(0, 7), "FPS: 0\n");
}

}  // namespace
