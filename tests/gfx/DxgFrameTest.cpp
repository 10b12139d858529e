// The graphics foundation's frame cycle and lost-device rules over a RecordingDevice.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "gfx/DxgTesting.h"

namespace {

class DxgFrame : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests();
        ASSERT_NE(device, nullptr);
        device->ClearRecord();
        ClearLog(errorLog);
        ClearLog(statLog);
    }
    void TearDown() override { DXG::resetForTests(); }
    gfx::RecordingDevice* device = nullptr;
};

int lostCalls = 0;
void CountLoss() { ++lostCalls; }

TEST_F(DxgFrame, DrawnFrameBeginsEndsAndPresents) {
    ASSERT_TRUE(DXG::BeginFrame(0.02f, true, true));
    DXG::Clear(0xFF102030, true, true);
    DXG::EndFrame0();
    DXG::EndFrame1();
    EXPECT_EQ(device->CallTexts(), (std::vector<std::string>{"TestCooperativeLevel", "BeginScene",
                                                             "Clear(3,FF102030,1,0)", "EndScene", "Present"}));
    EXPECT_EQ(LogText(errorLog), "");
}

TEST_F(DxgFrame, HandlersRunOncePerLoss) {
    lostCalls = 0;
    DXG::AddDeviceLostHandler(CountLoss);
    device->cooperativeLevel = gfx::Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_EQ(lostCalls, 1);
    EXPECT_TRUE(DXG::IsDeviceLost());
    EXPECT_TRUE(DXG::BeginFrame(0.01f, true, true));  // reset succeeds
    EXPECT_FALSE(DXG::IsDeviceLost());
    DXG::EndFrame0();
    device->cooperativeLevel = gfx::Result::DeviceNotReset;
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_EQ(lostCalls, 2);
}

}  // namespace
