// A fixture for the suites that draw with the OpenGL device under Xvfb: one 800 x 600 window per suite,
// titled with the suite's name (test programs may share a display), a fresh process per test, the foundation
// started on the window and a frame opened over black. Header only, so that velm_testsupport itself needs no
// graphics layer.
#pragma once

#include <gtest/gtest.h>

#include "gfx/DXG.h"
#include "platform/Window.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"

class GlFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* suite = ::testing::UnitTest::GetInstance()->current_test_suite()->name();
        platform::WindowSettings settings{suite, "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok)
            window = nullptr;
    }
    static void TearDownTestSuite() {
        ResetProcessState();
        if (window != nullptr) platform::DestroyAppWindow(window);
        window = nullptr;
    }
    void SetUp() override {
        if (window == nullptr) GTEST_SKIP() << "no display";
        ResetProcessState();
    }
    void TearDown() override {
        if (inFrame && DXG::IsReady()) DXG::EndFrame0();
        ResetProcessState();
    }
    // Starts the foundation on the window; with a frame, opens one and clears it to black.
    void Start(bool frame = true) {
        DXG::Setup setup;
        ASSERT_TRUE(DXG::Init(window, &setup)) << LogText(errorLog);
        device = DXG::GetDevice();
        if (frame) OpenFrame();
    }
    void OpenFrame() {
        ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
        inFrame = true;
        DXG::Clear(0xFF000000, true, true);
    }
    gfx::Image Frame() {
        gfx::Image image;
        EXPECT_TRUE(device->ReadRenderTarget(&image));
        return image;
    }
    // The frame's colour at a pixel, alpha masked off.
    std::uint32_t Rgb(std::uint32_t x, std::uint32_t y) { return Frame().At(x, y) & 0xFFFFFF; }

    static inline void* window = nullptr;
    gfx::Device* device = nullptr;
    bool inFrame = false;
};
