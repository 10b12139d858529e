// The scene stack, the pending deletion, the statistics and their report, the device-lost handler and the
// pointer state.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/FrameRateOverlay.h"
#include "runtime/MemoryTracker.h"
#include "support/TestSupport.h"

namespace {

using Events = std::vector<std::string>;

class SceneManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        DXG::resetForTests();
        resetSceneManagerForTests();
        resetMainGameForTests();
        SetRunning(true);
        SceneEvents().clear();
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    void TearDown() override {
        resetSceneManagerForTests();
        DXG::resetForTests();
    }
};

TEST_F(SceneManagerTest, FirstUpdateAfterPushGetsZeroAndIsNotCounted) {
    ProbeScene* a = NewProbeScene("A");
    AddScene(a);
    UpdateScenes(0.25f);
    UpdateScenes(0.25f);
    UpdateScenes(2.0f);  // clamped for the scene and the statistics
    EXPECT_EQ(a->updates, (std::vector<float>{0.0f, 0.25f, 0.5f}));
    RemoveAllScenes();
    EXPECT_EQ(LogText(statLog),
              "average FPS for invididual scenes:\n  -A (over 0 seconds): 2 frames/sec\n\n");
}

TEST_F(SceneManagerTest, PushCoversAndRemoveUncoversWithoutOnEnter) {
    AddScene(NewProbeScene("A"));
    AddScene(NewProbeScene("B"));
    EXPECT_EQ(CurrentSceneName(), "B");
    RemoveScene();
    EXPECT_EQ(CurrentSceneName(), "A");
    EXPECT_EQ(SceneEvents(), (Events{"A.OnEnter", "A.OnLeave", "B.OnEnter", "B.OnLeave"}));
    EXPECT_EQ(PendingSceneCountForTests(), 1);
    UpdateScenes(0.1f);  // A resumes; B is deleted after the update
    EXPECT_EQ(SceneEvents().back(), "B.deleted");
    EXPECT_EQ(SceneEvents()[SceneEvents().size() - 2], "A.Update(0)");  // the just-pushed flag was still set
}

TEST_F(SceneManagerTest, SceneReplacingItselfIsDeletedAfterItsUpdate) {
    ProbeScene* chooser = NewProbeScene("Chooser");
    AddScene(chooser);
    UpdateScenes(0.1f);
    chooser->onUpdate = [](ProbeScene&, float) {
        RemoveScene();
        AddScene(NewProbeScene("Main"));
        Note("still running inside the old scene");
    };
    UpdateScenes(0.1f);
    EXPECT_EQ(SceneEvents(),
              (Events{"Chooser.OnEnter", "Chooser.Update(0)", "Chooser.Update(0.1)", "Chooser.OnLeave",
                      "Main.OnEnter", "still running inside the old scene", "Chooser.deleted"}));
    SceneEvents().clear();
    UpdateScenes(0.1f);
    UpdateScenes(0.2f);
    EXPECT_EQ(SceneEvents(), (Events{"Main.Update(0)", "Main.Update(0.2)"}));
    RemoveAllScenes();
    // The replacing update is booked under the successor's name.
    EXPECT_EQ(LogText(statLog),
              "average FPS for invididual scenes:\n  -Main (over 0 seconds): 6 frames/sec\n\n");
}

TEST_F(SceneManagerTest, RemovingTwiceInOneUpdateReportsAndEndsTheProgramNextUpdate) {
    ProbeScene* alone = NewProbeScene("Alone");
    AddScene(alone);
    alone->onUpdate = [](ProbeScene&, float) {
        RemoveScene();
        RemoveScene();
    };
    UpdateScenes(0.1f);
    std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Bad.. attempt to remove a scene when none exist.\n  -attempt made from:\n", 0), 0u)
        << log;
    EXPECT_EQ(SceneEvents().back(), "Alone.deleted");
    EXPECT_TRUE(IsRunning());
    UpdateScenes(0.1f);
    EXPECT_FALSE(IsRunning());
}

TEST_F(SceneManagerTest, NullSceneIsReported) {
    AddScene(nullptr);
    std::string log = LogText(errorLog);
    EXPECT_EQ(log.rfind("Bad.. attempt to add null pointer as a scene.\n  -attempt made from:\n", 0), 0u)
        << log;
    EXPECT_NE(log.find("NullSceneIsReported"), std::string::npos);  // the caller's stack
    EXPECT_EQ(CurrentSceneName(), "none");
}

TEST_F(SceneManagerTest, SameNamesShareOneEntryInOrderOfFirstAppearance) {
    ProbeScene* first = NewProbeScene("X");
    AddScene(first);
    UpdateScenes(0.1f);
    for (int i = 0; i < 3; ++i) UpdateScenes(0.25f);
    AddScene(NewProbeScene("Y"));
    UpdateScenes(0.1f);
    UpdateScenes(0.5f);
    RemoveScene();
    UpdateScenes(0.1f);  // X again
    AddScene(NewProbeScene("X"));
    UpdateScenes(0.1f);
    UpdateScenes(0.15f);
    RemoveAllScenes();
    // X: 0.75 + 0.1 + 0.15 = 1.0 s over 5 frames; Y: 0.5 s, 1 frame.
    EXPECT_EQ(LogText(statLog),
              "average FPS for invididual scenes:\n  -X (over 1 seconds): 5 frames/sec\n"
              "  -Y (over 0 seconds): 2 frames/sec\n\n");
}

TEST_F(SceneManagerTest, ReportIsWrittenOnceAndStopsTheStatistics) {
    AddScene(NewProbeScene("A"));
    UpdateScenes(0.1f);
    UpdateScenes(0.1f);
    RemoveAllScenes();
    AddScene(NewProbeScene("B"));
    UpdateScenes(0.1f);
    UpdateScenes(0.1f);
    RemoveAllScenes();
    SceneManagerShutdown();
    EXPECT_EQ(LogText(statLog),
              "average FPS for invididual scenes:\n  -A (over 0 seconds): 10 frames/sec\n\n");
    EXPECT_EQ(SceneCountForTests(), 0);
    EXPECT_EQ(PendingSceneCountForTests(), 0);
}

TEST_F(SceneManagerTest, EmptyReportStillHasHeaderAndBlankLine) {
    SceneManagerShutdown();
    EXPECT_EQ(LogText(statLog), "average FPS for invididual scenes:\n\n");
}

TEST_F(SceneManagerTest, DeviceLossReachesEverySceneTopFirstAndDropsTheOverlay) {
    gfx::RecordingDevice* device = DXG::InitRecordingForTests();
    ASSERT_NE(device, nullptr);
    AddScene(NewProbeScene("Below"));
    AddScene(NewProbeScene("Top"));
    UpdateScenes(0.1f);
    EXPECT_TRUE(FrameRateOverlay::Exists());
    SceneEvents().clear();
    device->cooperativeLevel = gfx::Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.1f, true, false));
    EXPECT_FALSE(DXG::BeginFrame(0.1f, true, false));
    EXPECT_EQ(SceneEvents(), (Events{"Top.OnDeviceLost", "Below.OnDeviceLost"}));
    EXPECT_FALSE(FrameRateOverlay::Exists());
    UpdateScenes(0.1f);  // back while the foundation is ready
    EXPECT_TRUE(FrameRateOverlay::Exists());
}

TEST_F(SceneManagerTest, RenderDrawsOnlyTheTopScene) {
    AddScene(NewProbeScene("Below"));
    AddScene(NewProbeScene("Top"));
    SceneEvents().clear();
    RenderScenes();
    UpdateScenes(0.1f);
    EXPECT_EQ(SceneEvents(), (Events{"Top.Render", "Top.Update(0)"}));
}

TEST_F(SceneManagerTest, PointerMovesAndClicks) {
    using platform::WindowMessage;
    EXPECT_TRUE(HandlePointerMessage(Message(WindowMessage::MouseMove, 0, false, 120, 340)));
    EXPECT_TRUE(HandlePointerMessage(Message(WindowMessage::LeftButtonDown, 0, false, 500, 500)));
    int x = 0, y = 0;
    EXPECT_TRUE(GetMouseClick(&x, &y));
    EXPECT_EQ(x, 120);  // a click does not move the pointer
    EXPECT_EQ(y, 340);
    EXPECT_TRUE(GetMouseClick(&x, &y));  // reading does not clear
    ClearMouseClick();
    EXPECT_FALSE(GetMouseClick(&x, &y));
    EXPECT_FALSE(HandlePointerMessage(Message(WindowMessage::Char, 'a')));
    // Positions left of or above the drawing area stay negative.
    HandlePointerMessage(Message(WindowMessage::MouseMove, 0, false, -3, -7));
    GetMousePosition(&x, &y);
    EXPECT_EQ(x, -3);
    EXPECT_EQ(y, -7);
}

}  // namespace
