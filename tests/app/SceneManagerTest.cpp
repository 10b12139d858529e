#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/FrameRateOverlay.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {

using Events = std::vector<std::string>;

class SceneManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        SceneEvents().clear();
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    void TearDown() override { ResetProcessState(); }
};

TEST_F(SceneManagerTest, OnlyTheTopSceneRunsAndAPushedSceneFirstGetsZero) {
    AddScene(NewProbeScene("A"));
    UpdateScenes(0.25f);
    UpdateScenes(2.0f);  // clamped for the scene
    AddScene(NewProbeScene("B"));
    RenderScenes();
    UpdateScenes(0.1f);
    RemoveScene();  // A resumes without OnEnter; B is deleted after the update
    UpdateScenes(0.1f);
    EXPECT_EQ(SceneEvents(), (Events{"A.OnEnter", "A.Update(0)", "A.Update(0.5)", "A.OnLeave", "B.OnEnter",
                                     "B.Render", "B.Update(0)", "B.OnLeave", "A.Update(0.1)", "B.deleted"}));
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
    UpdateScenes(0.1f);
    UpdateScenes(0.2f);
    EXPECT_EQ(SceneEvents(), (Events{"Chooser.OnEnter", "Chooser.Update(0)", "Chooser.Update(0.1)",
                                     "Chooser.OnLeave", "Main.OnEnter", "still running inside the old scene",
                                     "Chooser.deleted", "Main.Update(0)", "Main.Update(0.2)"}));
    RemoveAllScenes();
    // The replacing update is booked under the successor's name.
    EXPECT_EQ(LogText(statLog),
              "average FPS for invididual scenes:\n  -Main (over 0 seconds): 6 frames/sec\n\n");
}

TEST_F(SceneManagerTest, MisuseIsReportedAndAnEmptyStackEndsTheProgram) {
    AddScene(nullptr);
    std::string log = LogText(errorLog);
    EXPECT_TRUE(log.starts_with("Bad.. attempt to add null pointer as a scene.\n  -attempt made from:\n"))
        << log;
    EXPECT_NE(log.find("MisuseIsReported"), std::string::npos);  // the caller's stack
    ProbeScene* alone = NewProbeScene("Alone");
    AddScene(alone);
    alone->onUpdate = [](ProbeScene&, float) {
        RemoveScene();
        RemoveScene();
    };
    ClearLog(errorLog);
    EXPECT_TRUE(UpdateScenes(0.1f));  // the stack was not empty when the update began
    log = LogText(errorLog);
    EXPECT_TRUE(log.starts_with("Bad.. attempt to remove a scene when none exist.\n  -attempt made from:\n"))
        << log;
    EXPECT_FALSE(UpdateScenes(0.1f));  // the loop is told to end
}

TEST_F(SceneManagerTest, DeviceLossReachesEverySceneTopFirstAndDropsTheOverlay) {
    gfx::RecordingDevice* device = DXG::InitRecordingForTests();
    ASSERT_NE(device, nullptr);
    AddScene(NewProbeScene("Below"));
    AddScene(NewProbeScene("Top"));
    UpdateScenes(0.1f);
    SceneEvents().clear();
    device->cooperativeLevel = gfx::Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.1f, true, false));
    EXPECT_FALSE(DXG::BeginFrame(0.1f, true, false));
    EXPECT_EQ(SceneEvents(), (Events{"Top.OnDeviceLost", "Below.OnDeviceLost"}));
    EXPECT_FALSE(FrameRateOverlay::Exists());
    UpdateScenes(0.1f);  // back while the foundation is ready
    EXPECT_TRUE(FrameRateOverlay::Exists());
}

}  // namespace
