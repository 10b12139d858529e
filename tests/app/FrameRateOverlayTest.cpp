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
    const char* expected[] = {"FPS: 100\nFPS (last 5 avg): 20",  "FPS: 100\nFPS (last 5 avg): 40",
                              "FPS: 100\nFPS (last 5 avg): 60",  "FPS: 100\nFPS (last 5 avg): 80",
                              "FPS: 100\nFPS (last 5 avg): 100", "FPS: 100\nFPS (last 5 avg): 100"};
    for (const char* text : expected) {
        FrameRateOverlay::Update(0.01f);
        EXPECT_EQ(FrameRateOverlay::CurrentText(), text);
    }
}

TEST_F(FrameRateOverlayTest, TextTable) {
    struct Case {
        float seconds;
        float history[4];
        const char* text;
    } cases[] = {
        {2.0f, {0, 0, 0, 0}, "FPS: 0\nFPS (last 5 avg): 0"},
        {0.25f, {0, 0, 0, 0}, "FPS: 4\nFPS (last 5 avg): 0"},
        {0.5f, {10, 10, 10, 10}, "FPS: 2\nFPS (last 5 avg): 8"},
        // 1 / 0.0005f is 1999.9999 in single precision: the whole part is 1999.
        {0.0005f, {2000, 2000, 2000, 2000}, "FPS: 1999\nFPS (last 5 avg): 2000"},
        {0.0f, {0, 0, 0, 0}, "FPS: 0\nFPS (last 5 avg): 0"},  // a zero-length frame shows 0, not garbage
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameRateOverlay::FormatText(c.seconds, c.history), c.text) << c.seconds;
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
