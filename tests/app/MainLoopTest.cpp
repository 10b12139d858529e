#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "runtime/Pointer.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

namespace {

using Calls = std::vector<std::string>;
using platform::WindowMessage;

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        KeyboardStateManager::SetSource(&keyboard);
        ASSERT_TRUE(KeyboardStateManager::Init(nullptr, DXG::StandInWindowForTests(), false));
        SetRunning(true);
        ClearLog(errorLog);
        ClearLog(statLog);
        SceneEvents().clear();
    }
    void TearDown() override { ResetProcessState(); }
    // A scene that ends the program after n updates (by removing itself).
    void SceneForUpdates(int n) {
        ProbeScene* scene = NewProbeScene("S");
        seen.clear();
        scene->onUpdate = [this, n](ProbeScene& self, float seconds) {
            seen.push_back(seconds);
            if (int(self.updates.size()) == n) RemoveScene();
        };
        AddScene(scene);
    }
    gfx::RecordingDevice* device = nullptr;
    std::vector<float> seen;  // the seconds each update of the scene got (the scene is gone afterwards)
    FakeKeyboard keyboard;
    FakeLoopPlatform loop;
};

TEST_F(MainLoop, DrawnAndFailedFramesRunInOrder) {
    SceneForUpdates(3);
    device->ClearRecord();
    MainWindowProc(Message(WindowMessage::Char, 'x'), loop);
    MainWindowProc(Message(WindowMessage::LeftButtonDown), loop);
    RunFrame(0.02f);
    int x, y;
    EXPECT_FALSE(GetMouseClick(&x, &y));  // a drawn frame clears the click and the typed characters
    EXPECT_FALSE(HasChars());
    MainWindowProc(Message(WindowMessage::Char, 'y'), loop);
    MainWindowProc(Message(WindowMessage::LeftButtonDown), loop);
    device->cooperativeLevel = gfx::Result::DeviceNotReset;
    device->resetResult = gfx::Result::DeviceLost;  // a reset that does not work yet
    RunFrame(0.03f);
    EXPECT_TRUE(GetMouseClick(&x, &y));  // a failed frame keeps them for the next update
    EXPECT_EQ(PopChar(), 'y');
    device->cooperativeLevel = gfx::Result::Ok;
    RunFrame(0.01f);
    Calls steps;  // the loop's steps, without the frame-rate overlay's drawing
    for (const std::string& call : device->CallTexts())
        if ((call.find('(') == std::string::npos && call != "SetNoShaders") || call.rfind("S.", 0) == 0)
            steps.push_back(call);
    EXPECT_EQ(steps, (Calls{"TestCooperativeLevel", "BeginScene",  "S.Render",       "EndScene",
                            "Keyboard.Poll",        "S.Update(0)", "Present",        "TestCooperativeLevel",
                            "S.OnDeviceLost",       "Reset",       "S.Update(0.03)", "TestCooperativeLevel",
                            "BeginScene",           "S.Render",    "EndScene",       "Keyboard.Poll",
                            "S.Update(0.01)",       "S.OnLeave",   "S.deleted",      "Present"}));
}

TEST_F(MainLoop, FramesStartOnlyAfterTheMinimumInterval) {
    SceneForUpdates(4);
    loop.stepPerYield = 200;  // 0.2 ms per turn: every third turn passes 1/1982 s
    EXPECT_EQ(RunMainLoop(loop), 0);
    EXPECT_EQ(seen, (std::vector<float>{0.0f, 0.0006f, 0.0006f, 0.0006f}));
    EXPECT_EQ(loop.yields, 16);  // every turn ends in a yield: four frames, a fifth that ends the loop
}

TEST_F(MainLoop, WaysOutOfTheLoopAndTheirExitCodes) {
    AddScene(NewProbeScene("Chooser"));
    loop.messages = {Message(WindowMessage::MouseMove, 0, false, 10, 20), Message(WindowMessage::Destroy)};
    EXPECT_EQ(RunMainLoop(loop), 0);  // closed: the quit message carries 0
    EXPECT_EQ(SceneEvents(), (Calls{"Chooser.OnEnter", "Chooser.OnLeave"}));  // messages come before frames
    SceneManagerShutdown();
    EXPECT_EQ(SceneEvents().back(), "Chooser.deleted");
    EXPECT_EQ(LogText(statLog), "average FPS for invididual scenes:\n\n");  // written once

    SetRunning(true);
    SceneForUpdates(1000);
    loop.messages = {Message(WindowMessage::Quit, 7)};
    EXPECT_EQ(RunMainLoop(loop), 7);

    SetRunning(true);
    SceneForUpdates(1000);
    device->cooperativeLevel = gfx::Result::DeviceNotReset;
    device->resetResult = gfx::Result::DriverInternalError;
    ClearLog(errorLog);
    RunMainLoop(loop);
    EXPECT_EQ(LogText(errorLog),
              "Internal graphics driver error occured\n"
              "The graphics foundation has reported an unrecoverable error.  Program shut down.\n");
}

TEST_F(MainLoop, WindowProcedureRoutesMessages) {
    // The keypad twin of an editing key gets default handling and queues nothing.
    EXPECT_FALSE(MainWindowProc(Message(WindowMessage::KeyDown, platform::kVkUp, false), loop));
    EXPECT_TRUE(MainWindowProc(Message(WindowMessage::Activate), loop));
    EXPECT_TRUE(MainWindowProc(Message(WindowMessage::Deactivate), loop));
    EXPECT_FALSE(HasChars());
    EXPECT_EQ(loop.screenAwake, (std::vector<bool>{true, false}));
    // Unfocused, the loop gives way between frames.
    SceneForUpdates(3);
    RunMainLoop(loop);
    ASSERT_FALSE(loop.focusAtYield.empty());
    EXPECT_FALSE(loop.focusAtYield.back());
}

}  // namespace
