// Tests only: starting the graphics foundation over a RecordingDevice.
#include "testing/DxgTesting.h"

#include "runtime/ProcessState.h"

namespace DXG {

void* StandInWindowForTests() {
    static int standIn;
    return &standIn;
}

gfx::RecordingDevice* InitRecordingForTests(const Setup* setup,
                                            std::shared_ptr<gfx::RecordingDriver>* driverOut) {
    ResetProcessState();
    auto driver = std::make_shared<gfx::RecordingDriver>();
    if (driverOut) *driverOut = driver;
    SetDriver(driver);
    Setup programSetup;
    if (!Init(StandInWindowForTests(), setup ? setup : &programSetup)) return nullptr;
    return driver->lastDevice;
}

}  // namespace DXG
