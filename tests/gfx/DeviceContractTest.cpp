// The same device cases against both drivers of the front end: the OpenGL device (under a display) and
// the recording device must give the same answers to every rule.
#include <gtest/gtest.h>

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
    static std::unique_ptr<gfx::Device> Make() { return std::make_unique<gfx::RecordingDevice>(Params()); }
};

struct OpenGl {
    static std::unique_ptr<gfx::Device> Make() {
        static void* window = [] {
            void* w = nullptr;
            platform::WindowSettings settings{"DeviceContract", "VelmViewWindow", 64, 32};
            return platform::CreateAppWindow(settings, &w) == platform::CreateWindowResult::Ok ? w : nullptr;
        }();
        auto driver = window ? gfx::CreateGlDriver() : nullptr;
        std::unique_ptr<gfx::Device> device;
        gfx::PresentParameters p = Params();
        if (driver) driver->CreateDevice(0, window, 0, &p, &device);
        return device;
    }
};

template <class Driver>
class DeviceContract : public ::testing::Test {
protected:
    void SetUp() override {
        device = Driver::Make();
        if (!device) GTEST_SKIP() << "no OpenGL device";
    }
    std::shared_ptr<gfx::Texture> Texture(uint32_t usage, gfx::Format format, Pool pool, uint32_t size = 4) {
        std::shared_ptr<gfx::Texture> t;
        EXPECT_EQ(device->CreateTexture(size, size, 1, usage, format, pool, &t), Result::Ok);
        return t;
    }
    std::unique_ptr<gfx::Device> device;
};

using Drivers = ::testing::Types<Recording, OpenGl>;
TYPED_TEST_SUITE(DeviceContract, Drivers);

TYPED_TEST(DeviceContract, TextureSizesLevelsFormatsAndUsage) {
    struct Row {
        uint32_t width, height, levels, usage;
        gfx::Format format;
        Pool pool;
        Result result;
        uint32_t levelCount;
    } rows[] = {
        {256, 64, 0, 0, gfx::fmt::A8R8G8B8, Pool::Managed, Result::Ok, 9},
        {256, 64, 20, 0, gfx::fmt::DXT5, Pool::Managed, Result::Ok, 9},
        {5, 3, 2, 0, gfx::fmt::R5G6B5, Pool::SystemMem, Result::Ok, 2},
        {0, 4, 1, 0, gfx::fmt::A8R8G8B8, Pool::Managed, Result::InvalidCall, 0},
        {8193, 4, 1, 0, gfx::fmt::A8R8G8B8, Pool::Managed, Result::InvalidCall, 0},
        {4, 4, 1, 0, gfx::fmt::A8B8G8R8, Pool::Managed, Result::NotAvailable, 0},
        {4, 4, 1, 0, gfx::fmt::P8, Pool::Managed, Result::NotAvailable, 0},
        {4, 4, 1, gfx::kUsageRenderTarget, gfx::fmt::X8R8G8B8, Pool::Managed, Result::InvalidCall, 0},
        {4, 4, 1, gfx::kUsageRenderTarget, gfx::fmt::R5G6B5, Pool::Default, Result::InvalidCall, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.width << "x" << r.height << " format " << r.format);
        std::shared_ptr<gfx::Texture> t;
        EXPECT_EQ(this->device->CreateTexture(r.width, r.height, r.levels, r.usage, r.format, r.pool, &t),
                  r.result);
        EXPECT_EQ(t ? t->GetLevelCount() : 0u, r.levelCount);
        EXPECT_EQ(this->device->CheckTextureFormat(r.format, r.usage),
                  r.result != Result::NotAvailable && !(r.usage && r.format == gfx::fmt::R5G6B5));
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
    EXPECT_EQ(d.Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0, 1.0f, 0), Result::Ok);
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

TYPED_TEST(DeviceContract, StageSettingsItCannotDrawAreRefused) {
    gfx::Device& d = *this->device;
    d.SetTextureStageState(1, gfx::StageState::ColorOp, gfx::top::Modulate);  // only stage 0 is drawn
    d.SetTextureStageState(0, gfx::StageState::ColorArg1, 6);                 // an argument it has not
    d.SetTextureStageState(0, gfx::StageState::ColorOp, gfx::top::SelectArg2);
    EXPECT_EQ(d.GetTextureStageState(1, gfx::StageState::ColorOp), gfx::top::Disable);
    EXPECT_EQ(d.GetTextureStageState(0, gfx::StageState::ColorArg1), gfx::targ::Texture);
    EXPECT_EQ(d.GetTextureStageState(0, gfx::StageState::ColorOp), gfx::top::SelectArg2);
}

TYPED_TEST(DeviceContract, LocksAndRenderTargets) {
    gfx::Device& d = *this->device;
    auto managed = this->Texture(0, gfx::fmt::A8R8G8B8, Pool::Managed);
    auto target = this->Texture(gfx::kUsageRenderTarget, gfx::fmt::A8R8G8B8, Pool::Default);
    auto copy = this->Texture(0, gfx::fmt::A8R8G8B8, Pool::SystemMem);
    auto small = this->Texture(0, gfx::fmt::A8R8G8B8, Pool::SystemMem, 2);
    ASSERT_TRUE(managed && target && copy && small);
    gfx::LockedRect rect;
    EXPECT_EQ(managed->LockRect(0, &rect, 0), Result::Ok);
    EXPECT_EQ(managed->LockRect(0, &rect, 0), Result::InvalidCall);
    EXPECT_EQ(managed->UnlockRect(0), Result::Ok);
    EXPECT_EQ(managed->UnlockRect(0), Result::InvalidCall);
    EXPECT_EQ(target->LockRect(0, &rect, 0), Result::InvalidCall);

    std::shared_ptr<gfx::VertexBuffer> b;
    ASSERT_EQ(d.CreateVertexBuffer(64, 0, gfx::kFvfScreen, Pool::Managed, &b), Result::Ok);
    void* data = nullptr;
    EXPECT_EQ(b->Lock(60, 8, &data, 0), Result::InvalidCall);
    EXPECT_EQ(b->Lock(60, 0, &data, 0), Result::Ok);
    EXPECT_EQ(b->Unlock(), Result::Ok);

    EXPECT_EQ(d.SetRenderTarget(nullptr), Result::InvalidCall);
    EXPECT_EQ(d.SetRenderTarget(managed->GetSurfaceLevel(0)), Result::InvalidCall);
    EXPECT_EQ(d.SetRenderTarget(target->GetSurfaceLevel(0)), Result::Ok);
    EXPECT_EQ(d.GetViewport(), (gfx::Viewport{0, 0, 4, 4, 0.0f, 1.0f}));
    auto surface = target->GetSurfaceLevel(0);
    EXPECT_EQ(d.GetRenderTargetData(surface.get(), small->GetSurfaceLevel(0).get()), Result::InvalidCall);
    EXPECT_EQ(d.GetRenderTargetData(surface.get(), managed->GetSurfaceLevel(0).get()), Result::InvalidCall);
    EXPECT_EQ(d.GetRenderTargetData(surface.get(), copy->GetSurfaceLevel(0).get()), Result::Ok);
}

TYPED_TEST(DeviceContract, LostDeviceResetsOnlyOnceItMayAndThenCoversTheBackBuffer) {
    auto& d = static_cast<gfx::DeviceFrontEnd&>(*this->device);
    auto target = this->Texture(gfx::kUsageRenderTarget, gfx::fmt::X8R8G8B8, Pool::Default);
    ASSERT_EQ(d.SetRenderTarget(target->GetSurfaceLevel(0)), Result::Ok);
    d.cooperativeLevel = Result::DeviceLost;
    EXPECT_EQ(d.Present(), Result::DeviceLost);
    EXPECT_EQ(d.Reset(Params()), Result::DeviceLost);
    d.cooperativeLevel = Result::DeviceNotReset;
    if constexpr (std::is_same_v<TypeParam, OpenGl>) {
        // A frame buffer that cannot be made for a reason other than memory is a plain failure.
        gfx::PresentParameters unusable = Params();
        unusable.backBufferWidth = 32;
        unusable.autoDepthStencilFormat = gfx::fmt::D32;
        EXPECT_EQ(d.Reset(unusable), Result::Fail);
    }
    EXPECT_EQ(d.Reset(Params()), Result::Ok);
    EXPECT_EQ(d.TestCooperativeLevel(), Result::Ok);
    EXPECT_EQ(d.GetRenderTarget()->GetDesc().width, 64u);
    EXPECT_EQ(d.GetViewport(), (gfx::Viewport{0, 0, 64, 32, 0.0f, 1.0f}));
}

}  // namespace
