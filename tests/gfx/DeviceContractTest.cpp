// The same device rules against the recording and the OpenGL driver (skipped without a display).
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

#include "gfx/gl/GlDevice.h"
#include "platform/Window.h"
#include "testing/RecordingDevice.h"

namespace {

using gfx::Pool;
using gfx::Result;
using Prim = gfx::PrimitiveType;

gfx::PresentParameters Params() {
    gfx::PresentParameters p;
    p.backBufferWidth = 64;
    p.backBufferHeight = 32;
    p.autoDepthStencilFormat = gfx::fmt::D24X8;
    return p;
}

struct Recording {
    static bool HasDisplay() { return true; }
    static std::unique_ptr<gfx::Device> Make() { return std::make_unique<gfx::RecordingDevice>(Params()); }
    // Makes the next Reset fail and returns what to reset with; Recover lets the one after succeed.
    static gfx::PresentParameters FailingReset(gfx::Device& d) {
        static_cast<gfx::RecordingDevice&>(d).resetResult = Result::Fail;
        gfx::PresentParameters p = Params();
        p.backBufferWidth = 32;
        return p;
    }
    static void Recover(gfx::Device& d) { static_cast<gfx::RecordingDevice&>(d).resetResult = Result::Ok; }
};

struct OpenGl {
    static bool HasDisplay() {
        const char* display = std::getenv("DISPLAY");
        return display && *display;
    }
    static std::unique_ptr<gfx::Device> Make() {
        static void* window = [] {
            void* w = nullptr;
            platform::WindowSettings settings{"DeviceContract", "VelmViewWindow", 64, 32};
            return platform::CreateAppWindow(settings, &w) == platform::CreateWindowResult::Ok ? w : nullptr;
        }();
        std::unique_ptr<gfx::Device> device;
        gfx::PresentParameters p = Params();
        if (window) gfx::CreateGlDriver()->CreateDevice(0, window, 0, &p, &device);
        return device;
    }
    // A frame buffer that cannot be made for a reason other than memory is a plain failure.
    static gfx::PresentParameters FailingReset(gfx::Device&) {
        gfx::PresentParameters unusable = Params();
        unusable.backBufferWidth = 32;
        unusable.autoDepthStencilFormat = gfx::fmt::D32;
        return unusable;
    }
    static void Recover(gfx::Device&) {}
};

template <class Driver>
class DeviceContract : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Driver::HasDisplay()) GTEST_SKIP() << "no display";
        device = Driver::Make();
        ASSERT_TRUE(device) << "the device could not be made: " << gfx::GlLastContextError();
    }
    std::shared_ptr<gfx::Texture> Texture(uint32_t usage, gfx::Format format, Pool pool) {
        std::shared_ptr<gfx::Texture> t;
        EXPECT_EQ(device->CreateTexture(4, 4, 1, usage, format, pool, &t), Result::Ok);
        return t;
    }
    std::unique_ptr<gfx::Device> device;
};

using Drivers = ::testing::Types<Recording, OpenGl>;
TYPED_TEST_SUITE(DeviceContract, Drivers);

TYPED_TEST(DeviceContract, TextureSizesLevelsAndFormats) {
    struct Row {
        uint32_t width, height, levels;
        gfx::Format format;
        Pool pool;
        Result result;
        uint32_t levelCount;
    } rows[] = {
        {256, 64, 0, gfx::fmt::A8R8G8B8, Pool::Managed, Result::Ok, 9},
        {5, 3, 2, gfx::fmt::R5G6B5, Pool::SystemMem, Result::Ok, 2},
        {8193, 4, 1, gfx::fmt::A8R8G8B8, Pool::Managed, Result::InvalidCall, 0},
        {4, 4, 1, gfx::fmt::A8B8G8R8, Pool::Managed, Result::NotAvailable, 0},
    };
    for (const Row& r : rows) {
        std::shared_ptr<gfx::Texture> t;
        EXPECT_EQ(this->device->CreateTexture(r.width, r.height, r.levels, 0, r.format, r.pool, &t), r.result)
            << r.width;
        EXPECT_EQ(t ? t->GetLevelCount() : 0u, r.levelCount) << r.width;
        EXPECT_EQ(this->device->CheckTextureFormat(r.format, 0), r.result != Result::NotAvailable) << r.width;
    }
    std::shared_ptr<gfx::VertexBuffer> b;
    EXPECT_EQ(this->device->CreateVertexBuffer(0, 0, gfx::kFvfScreen, Pool::Managed, &b),
              Result::InvalidCall);
    EXPECT_EQ(this->device->CreateVertexBuffer((256u << 20) + 1, 0, gfx::kFvfScreen, Pool::Managed, &b),
              Result::InvalidCall);
}

TYPED_TEST(DeviceContract, SceneDrawAndClearRules) {
    gfx::Device& d = *this->device;
    const gfx::ScreenVertex quad[4] = {};
    d.SetFVF(gfx::kFvfScreen);
    EXPECT_EQ(d.DrawPrimitiveUP(Prim::TriangleStrip, 2, quad, sizeof quad[0]), Result::InvalidCall);
    EXPECT_EQ(d.EndScene(), Result::InvalidCall);
    ASSERT_EQ(d.BeginScene(), Result::Ok);
    EXPECT_EQ(d.BeginScene(), Result::InvalidCall);
    EXPECT_EQ(d.Clear(gfx::kClearTarget | gfx::kClearStencil, 0, 1.0f, 0), Result::InvalidCall);
    EXPECT_EQ(d.DrawPrimitiveUP(Prim::TriangleStrip, 2, quad, 12),
              Result::InvalidCall);  // shorter than 0x144
    d.SetFVF(0x102);
    EXPECT_EQ(d.DrawPrimitiveUP(Prim::TriangleStrip, 2, quad, sizeof quad[0]), Result::InvalidCall);
    d.SetFVF(gfx::kFvfScreen);

    std::shared_ptr<gfx::VertexBuffer> b;
    ASSERT_EQ(d.CreateVertexBuffer(4 * 28, 0, gfx::kFvfScreen, Pool::Managed, &b), Result::Ok);
    EXPECT_EQ(d.DrawPrimitive(Prim::TriangleStrip, 0, 2), Result::InvalidCall);  // no stream
    d.SetStreamSource(0, b, 0, 28);
    EXPECT_EQ(d.DrawPrimitive(Prim::TriangleStrip, 1, 2), Result::InvalidCall);  // past the end
    EXPECT_EQ(d.DrawPrimitive(Prim::TriangleStrip, 0, 2), Result::Ok);
    // A draw from memory drops the stream binding.
    EXPECT_EQ(d.DrawPrimitiveUP(Prim::TriangleStrip, 2, quad, sizeof quad[0]), Result::Ok);
    EXPECT_EQ(d.DrawPrimitive(Prim::TriangleStrip, 0, 2), Result::InvalidCall);
    EXPECT_EQ(d.EndScene(), Result::Ok);
}

TYPED_TEST(DeviceContract, LocksStayWithinTheirResource) {
    gfx::Device& d = *this->device;
    auto managed = this->Texture(0, gfx::fmt::A8R8G8B8, Pool::Managed);
    auto target = this->Texture(gfx::kUsageRenderTarget, gfx::fmt::A8R8G8B8, Pool::Default);
    ASSERT_TRUE(managed && target);
    gfx::LockedRect rect;
    EXPECT_EQ(managed->LockRect(0, &rect, 0), Result::Ok);
    EXPECT_EQ(managed->LockRect(0, &rect, 0), Result::InvalidCall);
    EXPECT_EQ(managed->UnlockRect(0), Result::Ok);
    EXPECT_EQ(target->LockRect(0, &rect, 0), Result::InvalidCall);

    std::shared_ptr<gfx::VertexBuffer> b;
    ASSERT_EQ(d.CreateVertexBuffer(64, 0, gfx::kFvfScreen, Pool::Managed, &b), Result::Ok);
    void* data = nullptr;
    EXPECT_EQ(b->Lock(60, 8, &data, 0), Result::InvalidCall);
    EXPECT_EQ(b->Lock(60, 0, &data, 0), Result::Ok);
    EXPECT_EQ(b->Unlock(), Result::Ok);

    EXPECT_EQ(d.GetRenderTarget()->LockRect(&rect, 0), Result::InvalidCall);  // the back buffer
}

TYPED_TEST(DeviceContract, LostDeviceResetsOnlyOnceItMayAndThenCoversTheBackBuffer) {
    auto& d = static_cast<gfx::DeviceFrontEnd&>(*this->device);
    auto target = this->Texture(gfx::kUsageRenderTarget, gfx::fmt::X8R8G8B8, Pool::Default);
    ASSERT_EQ(d.SetRenderTarget(target->GetSurfaceLevel(0)), Result::Ok);
    d.cooperativeLevel = Result::DeviceLost;
    EXPECT_EQ(d.Present(), Result::DeviceLost);
    EXPECT_EQ(d.Reset(Params()), Result::DeviceLost);
    d.cooperativeLevel = Result::DeviceNotReset;
    EXPECT_EQ(d.Reset(Params()), Result::Ok);
    EXPECT_EQ(d.GetViewport(), (gfx::Viewport{0, 0, 64, 32, 0.0f, 1.0f}));
}

TYPED_TEST(DeviceContract, AFailedResetKeepsTheDeviceAsItWasAndMayBeTriedAgain) {
    auto& d = static_cast<gfx::DeviceFrontEnd&>(*this->device);
    d.cooperativeLevel = Result::DeviceNotReset;
    EXPECT_EQ(d.Reset(TypeParam::FailingReset(d)), Result::Fail);
    EXPECT_EQ(d.TestCooperativeLevel(), Result::DeviceNotReset);
    TypeParam::Recover(d);
    // The same parameters as before the failure: the device must still make its frame buffer again.
    ASSERT_EQ(d.Reset(Params()), Result::Ok);
    ASSERT_EQ(d.Clear(gfx::kClearTarget, 0xFF204060, 1.0f, 0), Result::Ok);
    gfx::Image image;
    ASSERT_TRUE(d.ReadRenderTarget(&image));
    EXPECT_EQ(image.At(63, 31), 0xFF204060u);
    if constexpr (std::is_same_v<TypeParam, OpenGl>) {
        GLint bound = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
        EXPECT_NE(bound, 0) << "frames would go straight to the window";
    }
}

}  // namespace
