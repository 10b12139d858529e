// The OpenGL device under Xvfb: frames read back from the off-screen frame buffer, Direct3D's pixel,
// depth, culling and projection conventions, and the screen/world round trip.
#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/glm.hpp>

#include "gfx/DXG.h"
#include "gfx/GlDevice.h"
#include "platform/Window.h"
#include "support/TestSupport.h"

namespace {

using gfx::ScreenVertex;

gfx::Matrix FromGlm(const glm::mat4& m) {
    gfx::Matrix out;
    memcpy(out.m, &m[0][0], sizeof out.m);
    return out;
}

class DeviceGl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::WindowSettings settings{"DeviceGl", "VelmViewWindow", 800, 600};
        if (platform::CreateAppWindow(settings, &window) != platform::CreateWindowResult::Ok)
            window = nullptr;
    }
    static void TearDownTestSuite() {
        DXG::resetForTests();
        platform::DestroyAppWindow(window);
        window = nullptr;
    }
    void SetUp() override {
        if (!window) GTEST_SKIP() << "no display";
        DXG::resetForTests();
        DXG::Setup setup;
        ASSERT_TRUE(DXG::Init(window, &setup)) << LogText(errorLog) << gfx::GlLastContextError();
        device = DXG::GetDevice();
    }
    void TearDown() override {
        // The device never leaves an OpenGL error behind.
        if (DXG::IsReady()) {
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
        DXG::resetForTests();
    }

    gfx::Image Frame() {
        gfx::Image image;
        EXPECT_TRUE(device->ReadRenderTarget(&image));
        return image;
    }
    void DrawScreen(gfx::PrimitiveType type, std::vector<ScreenVertex> v, uint32_t count) {
        device->SetFVF(gfx::kFvfScreen);
        device->SetTexture(0, nullptr);
        ASSERT_EQ(device->DrawPrimitiveUP(type, count, v.data(), sizeof(ScreenVertex)), gfx::Result::Ok);
    }
    static ScreenVertex V(float x, float y, float z, uint32_t colour) {
        return {x, y, z, 1.0f, colour, 0, 0};
    }

    static void* window;
    gfx::Device* device = nullptr;
};
void* DeviceGl::window = nullptr;

TEST_F(DeviceGl, ClearColourReadsBackEverywhere) {
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF336699, true, true);
    gfx::Image image = Frame();
    DXG::EndFrame0();
    DXG::EndFrame1();
    ASSERT_EQ(image.width, 800u);
    ASSERT_EQ(image.height, 600u);
    for (auto [x, y] : {std::pair{0u, 0u}, {799u, 0u}, {0u, 599u}, {799u, 599u}, {400u, 300u}})
        EXPECT_EQ(image.At(x, y) & 0xFFFFFF, 0x336699u) << x << "," << y;
}

TEST_F(DeviceGl, DepthClearDecidesWhichQuadShows) {
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF000000, true, true);
    auto quad = [&](float z, uint32_t colour) {
        DrawScreen(gfx::PrimitiveType::TriangleFan,
                   {V(10, 10, z, colour), V(50, 10, z, colour), V(50, 50, z, colour), V(10, 50, z, colour)},
                   2);
    };
    quad(0.5f, 0xFFFF0000);
    quad(0.7f, 0xFF00FF00);  // behind: hidden by the depth test (less-or-equal)
    EXPECT_EQ(Frame().At(30, 30) & 0xFFFFFF, 0xFF0000u);
    DXG::Clear(0, false, true);  // depth only: colour stays, the far quad now passes
    EXPECT_EQ(Frame().At(30, 30) & 0xFFFFFF, 0xFF0000u);
    quad(0.7f, 0xFF00FF00);
    EXPECT_EQ(Frame().At(30, 30) & 0xFFFFFF, 0x00FF00u);
    DXG::EndFrame0();
    DXG::EndFrame1();
}

TEST_F(DeviceGl, ScreenQuadCoversPixelsLikeDirect3D) {
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF000000, true, true);
    // Corners at (x0 - 0.5, y0 - 0.5) cover exactly the pixels x0..x1-1, y0..y1-1.
    DrawScreen(gfx::PrimitiveType::TriangleFan,
               {V(9.5f, 19.5f, 0, 0xFFFFFFFF), V(29.5f, 19.5f, 0, 0xFFFFFFFF), V(29.5f, 29.5f, 0, 0xFFFFFFFF),
                V(9.5f, 29.5f, 0, 0xFFFFFFFF)},
               2);
    gfx::Image image = Frame();
    DXG::EndFrame0();
    EXPECT_EQ(image.At(10, 20) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.At(29, 29) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.At(9, 20) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.At(30, 20) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.At(10, 19) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.At(10, 30) & 0xFFFFFF, 0u);
}

TEST_F(DeviceGl, CounterClockwiseTrianglesAreCulledByDefault) {
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF000000, true, true);
    // Clockwise on screen (y down): drawn.
    DrawScreen(gfx::PrimitiveType::TriangleList,
               {V(10, 10, 0, 0xFFFF0000), V(60, 10, 0, 0xFFFF0000), V(10, 60, 0, 0xFFFF0000)}, 1);
    // Counter-clockwise: culled.
    DrawScreen(gfx::PrimitiveType::TriangleList,
               {V(100, 10, 0, 0xFF00FF00), V(100, 60, 0, 0xFF00FF00), V(150, 10, 0, 0xFF00FF00)}, 1);
    gfx::Image image = Frame();
    DXG::EndFrame0();
    EXPECT_EQ(image.At(20, 20) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.At(110, 20) & 0xFFFFFF, 0u);
}

TEST_F(DeviceGl, AlphaTestDiscardsTransparentAndBlendMixes) {
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF0000FF, true, true);
    DXG::SetDefaultRenderStates();
    DrawScreen(gfx::PrimitiveType::TriangleFan,
               {V(9.5f, 9.5f, 0, 0x00FF0000), V(19.5f, 9.5f, 0, 0x00FF0000), V(19.5f, 19.5f, 0, 0x00FF0000),
                V(9.5f, 19.5f, 0, 0x00FF0000)},
               2);
    DrawScreen(gfx::PrimitiveType::TriangleFan,
               {V(29.5f, 9.5f, 0, 0x80FF0000), V(39.5f, 9.5f, 0, 0x80FF0000), V(39.5f, 19.5f, 0, 0x80FF0000),
                V(29.5f, 19.5f, 0, 0x80FF0000)},
               2);
    gfx::Image image = Frame();
    DXG::EndFrame0();
    EXPECT_EQ(image.At(15, 15) & 0xFFFFFF, 0x0000FFu);
    uint32_t mixed = image.At(35, 15);
    EXPECT_NEAR(double((mixed >> 16) & 0xFF), 128.0, 2.0);
    EXPECT_NEAR(double(mixed & 0xFF), 127.0, 2.0);
}

struct Camera {
    gfx::Matrix view, projection;
};

Camera KnownCamera() {
    Camera c;
    c.view = FromGlm(glm::lookAtLH(glm::vec3(5, -8, 6), glm::vec3(5, 5, 0), glm::vec3(0, 0, 1)));
    c.projection = FromGlm(glm::perspectiveLH_ZO(glm::radians(45.0f), 800.0f / 600.0f, 1.0f, 100.0f));
    return c;
}

TEST_F(DeviceGl, WorldToScreenAndBackRoundTrip) {
    Camera c = KnownCamera();
    device->SetTransform(gfx::TransformType::View, c.view);
    device->SetTransform(gfx::TransformType::Projection, c.projection);
    device->SetTransform(gfx::TransformType::World, gfx::Matrix::Identity());
    // The look-at point lands in the centre of the viewport.
    float sx = 0, sy = 0;
    DXG::WorldToScreen({5, 5, 0}, &sx, &sy);
    EXPECT_NEAR(sx, 400.0f, 0.01f);
    EXPECT_NEAR(sy, 300.0f, 0.01f);
    // Higher world z is higher on screen (smaller y).
    DXG::WorldToScreen({5, 5, 1}, &sx, &sy);
    EXPECT_LT(sy, 300.0f);
    for (gfx::Vector3 p : {gfx::Vector3{3, 7, 0}, gfx::Vector3{8, 2, 0.5f}, gfx::Vector3{5, 12, 2}}) {
        DXG::WorldToScreen(p, &sx, &sy);
        gfx::Vector3 nearPoint, farPoint;
        DXG::ScreenToWorld(sx, sy, 0.0f, &nearPoint);
        DXG::ScreenToWorld(sx, sy, 1.0f, &farPoint);
        // p lies on the ray from the near to the far point.
        glm::vec3 n(nearPoint.x, nearPoint.y, nearPoint.z), f(farPoint.x, farPoint.y, farPoint.z),
            q(p.x, p.y, p.z);
        float distance = glm::length(glm::cross(f - n, q - n)) / glm::length(f - n);
        EXPECT_LT(distance, 1e-3f) << p.x << "," << p.y << "," << p.z;
    }
}

TEST_F(DeviceGl, WorldVertexLandsWhereWorldToScreenSays) {
    Camera c = KnownCamera();
    device->SetTransform(gfx::TransformType::View, c.view);
    device->SetTransform(gfx::TransformType::Projection, c.projection);
    float sx = 0, sy = 0;
    DXG::WorldToScreen({6, 6, 0}, &sx, &sy);
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF000000, true, true);
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    gfx::WorldVertex tri[3] = {{5.5f, 5.5f, 0, 0, 0, -1, 0xFFFFFF00, 0, 0},
                               {6.5f, 5.5f, 0, 0, 0, -1, 0xFFFFFF00, 0, 0},
                               {6.0f, 6.8f, 0, 0, 0, -1, 0xFFFFFF00, 0, 0}};
    device->SetFVF(gfx::kFvfWorld);
    ASSERT_EQ(device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 1, tri, sizeof(gfx::WorldVertex)),
              gfx::Result::Ok);
    gfx::Image image = Frame();
    DXG::EndFrame0();
    EXPECT_EQ(image.At(uint32_t(std::lround(sx)), uint32_t(std::lround(sy))) & 0xFFFFFF, 0xFFFF00u);
    EXPECT_EQ(image.At(5, 5) & 0xFFFFFF, 0u);
}

TEST_F(DeviceGl, TextureModulatesVertexColourAndRenderTargetReadsBack) {
    std::shared_ptr<gfx::Texture> texture, target, copy;
    ASSERT_EQ(
        device->CreateTexture(2, 2, 1, gfx::kUsageNone, gfx::fmt::A8R8G8B8, gfx::Pool::Managed, &texture),
        gfx::Result::Ok);
    gfx::LockedRect rect;
    ASSERT_EQ(texture->LockRect(0, &rect, 0), gfx::Result::Ok);
    uint32_t texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (int row = 0; row < 2; ++row)
        memcpy(static_cast<uint8_t*>(rect.bits) + row * rect.pitch, texels + row * 2, 8);
    texture->UnlockRect(0);
    ASSERT_EQ(device->CreateTexture(64, 64, 1, gfx::kUsageRenderTarget, gfx::fmt::A8R8G8B8,
                                    gfx::Pool::Default, &target),
              gfx::Result::Ok);
    ASSERT_EQ(
        device->CreateTexture(64, 64, 1, gfx::kUsageNone, gfx::fmt::A8R8G8B8, gfx::Pool::SystemMem, &copy),
        gfx::Result::Ok);

    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    auto saved = device->GetRenderTarget();
    ASSERT_EQ(device->SetRenderTarget(target->GetSurfaceLevel(0)), gfx::Result::Ok);
    device->Clear(gfx::kClearTarget, 0xFF000000, 1.0f, 0);
    device->SetRenderState(gfx::RenderState::ZEnable, 0);
    device->SetSamplerState(0, gfx::SamplerState::MinFilter, gfx::filter::Point);
    device->SetSamplerState(0, gfx::SamplerState::MagFilter, gfx::filter::Point);
    device->SetSamplerState(0, gfx::SamplerState::MipFilter, gfx::filter::None);
    device->SetTexture(0, texture);
    device->SetFVF(gfx::kFvfScreen);
    ScreenVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                            {63.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                            {63.5f, 63.5f, 0, 1, 0xFF808080, 1, 1},
                            {-0.5f, 63.5f, 0, 1, 0xFF808080, 0, 1}};
    // Colour only modulates on the top half; bottom half is half-dark.
    quad[2].colour = quad[3].colour = 0xFFFFFFFF;
    ASSERT_EQ(device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleFan, 2, quad, sizeof(ScreenVertex)),
              gfx::Result::Ok);
    ASSERT_EQ(device->GetRenderTargetData(target->GetSurfaceLevel(0).get(), copy->GetSurfaceLevel(0).get()),
              gfx::Result::Ok);
    ASSERT_EQ(device->SetRenderTarget(saved), gfx::Result::Ok);
    DXG::EndFrame0();

    ASSERT_EQ(copy->LockRect(0, &rect, gfx::kLockReadOnly), gfx::Result::Ok);
    auto pixel = [&](int x, int y) {
        uint32_t p;
        memcpy(&p, static_cast<uint8_t*>(rect.bits) + y * rect.pitch + x * 4, 4);
        return p & 0xFFFFFF;
    };
    // Top-left texel is the first texel written: rows are top-first everywhere.
    EXPECT_EQ(pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(pixel(60, 5), 0x00FF00u);
    EXPECT_EQ(pixel(5, 60), 0x0000FFu);
    EXPECT_EQ(pixel(60, 60), 0xFFFFFFu);
    copy->UnlockRect(0);
}

TEST_F(DeviceGl, VertexBufferDrawsFromItsStartVertex) {
    std::shared_ptr<gfx::VertexBuffer> buffer;
    ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(ScreenVertex), gfx::kUsageDynamic | gfx::kUsageWriteOnly,
                                         gfx::kFvfScreen, gfx::Pool::Default, &buffer),
              gfx::Result::Ok);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, gfx::kLockDiscard), gfx::Result::Ok);
    auto* v = static_cast<ScreenVertex*>(data);
    // Two quads: red at x 0..19 (vertices 0-3, not drawn) and green at x 40..59 (vertices 4-7).
    for (int q = 0; q < 2; ++q) {
        float x0 = q == 0 ? -0.5f : 39.5f;
        uint32_t c = q == 0 ? 0xFFFF0000 : 0xFF00FF00;
        v[q * 4 + 0] = V(x0, -0.5f, 0, c);
        v[q * 4 + 1] = V(x0 + 20, -0.5f, 0, c);
        v[q * 4 + 2] = V(x0 + 20, 19.5f, 0, c);
        v[q * 4 + 3] = V(x0, 19.5f, 0, c);
    }
    ASSERT_EQ(buffer->Unlock(), gfx::Result::Ok);
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF000000, true, true);
    device->SetTexture(0, nullptr);
    device->SetFVF(gfx::kFvfScreen);
    device->SetStreamSource(0, buffer, 0, sizeof(ScreenVertex));
    ASSERT_EQ(device->DrawPrimitive(gfx::PrimitiveType::TriangleFan, 4, 2), gfx::Result::Ok);
    EXPECT_EQ(device->DrawPrimitive(gfx::PrimitiveType::TriangleFan, 7, 2),
              gfx::Result::InvalidCall);  // past the end
    gfx::Image image = Frame();
    DXG::EndFrame0();
    EXPECT_EQ(image.At(10, 10) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.At(50, 10) & 0xFFFFFF, 0x00FF00u);
}

// One texel of each format, drawn blended over blue: the colour channels and the alpha as Direct3D reads
// them.
TEST_F(DeviceGl, TextureFormatsSampleAsDirect3DReadsThem) {
    struct Case {
        const char* name;
        gfx::Format format;
        uint32_t texel;     // the texel's bytes, little-endian, as many as the format has
        uint32_t expected;  // RGB on screen over blue 0x0000FF, within 3 levels per channel
    } cases[] = {
        {"A8R8G8B8 opaque", gfx::fmt::A8R8G8B8, 0xFF102030, 0x102030},
        {"A8R8G8B8 half", gfx::fmt::A8R8G8B8, 0x80FF0000, 0x80007F},
        {"X8R8G8B8 ignores its top byte", gfx::fmt::X8R8G8B8, 0x00FF0000, 0xFF0000},
        {"R5G6B5", gfx::fmt::R5G6B5, 0xF800, 0xFF0000},
        {"R5G6B5 green", gfx::fmt::R5G6B5, 0x07E0, 0x00FF00},
        {"X1R5G5B5", gfx::fmt::X1R5G5B5, 0x03E0, 0x00FF00},
        {"A1R5G5B5 transparent", gfx::fmt::A1R5G5B5, 0x7C00, 0x0000FF},
        {"A1R5G5B5 opaque", gfx::fmt::A1R5G5B5, 0xFC00, 0xFF0000},
        {"A4R4G4B4", gfx::fmt::A4R4G4B4, 0xFFF0, 0xFFFF00},
        {"A8 is black with alpha", gfx::fmt::A8, 0xFF, 0x000000},
        {"L8 is grey", gfx::fmt::L8, 0x80, 0x808080},
    };
    for (const Case& c : cases) {
        std::shared_ptr<gfx::Texture> texture;
        ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, c.format, gfx::Pool::Managed, &texture), gfx::Result::Ok)
            << c.name;
        gfx::LockedRect rect;
        ASSERT_EQ(texture->LockRect(0, &rect, 0), gfx::Result::Ok);
        memcpy(rect.bits, &c.texel, gfx::BytesPerPixel(c.format));
        texture->UnlockRect(0);
        ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
        DXG::Clear(0xFF0000FF, true, true);
        DXG::SetDefaultRenderStates();
        device->SetRenderState(gfx::RenderState::AlphaTestEnable, 0);
        device->SetTexture(0, texture);
        device->SetFVF(gfx::kFvfScreen);
        ScreenVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                                {9.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                                {9.5f, 9.5f, 0, 1, 0xFFFFFFFF, 1, 1},
                                {-0.5f, 9.5f, 0, 1, 0xFFFFFFFF, 0, 1}};
        ASSERT_EQ(device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleFan, 2, quad, sizeof(ScreenVertex)),
                  gfx::Result::Ok);
        uint32_t got = Frame().At(5, 5);
        DXG::EndFrame0();
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(double((got >> shift) & 0xFF), double((c.expected >> shift) & 0xFF), 3.0)
                << c.name << " channel " << shift << " got " << std::hex << got;
    }
}

TEST_F(DeviceGl, LightingWithoutLightsShowsTheEmissiveMaterialAndFlatShadingTheFirstVertex) {
    gfx::WorldVertex tri[3] = {{-0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFFFF0000, 0, 0},
                               {0.0f, 0.5f, 0.5f, 0, 0, -1, 0xFF00FF00, 0, 0},
                               {0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFF0000FF, 0, 0}};
    auto draw = [&] {
        DXG::Clear(0xFF000000, true, true);
        device->SetFVF(gfx::kFvfWorld);
        EXPECT_EQ(device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 1, tri, sizeof(gfx::WorldVertex)),
                  gfx::Result::Ok);
        return Frame();
    };
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    device->SetRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    // Identity transforms: the triangle covers the middle of the frame.
    gfx::Image smooth = draw();
    uint32_t centre = smooth.At(400, 330) & 0xFFFFFF;
    EXPECT_NE(centre, 0xFF0000u);  // colours blend across the triangle
    EXPECT_NE(centre, 0u);
    device->SetRenderState(gfx::RenderState::ShadeMode, gfx::shade::Flat);
    EXPECT_EQ(draw().At(400, 330) & 0xFFFFFF, 0xFF0000u);
    device->SetRenderState(gfx::RenderState::ShadeMode, gfx::shade::Gouraud);
    gfx::Material material;
    material.emissive = {0.0f, 0.0f, 1.0f, 1.0f};
    device->SetMaterial(material);
    device->SetRenderState(gfx::RenderState::Lighting, 1);
    EXPECT_EQ(draw().At(400, 330) & 0xFFFFFF, 0x0000FFu);
    DXG::EndFrame0();
}

TEST_F(DeviceGl, ScreenshotIsThePresentedFrameAsPng) {
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));
    DXG::Clear(0xFF000000, true, true);
    DrawScreen(gfx::PrimitiveType::TriangleFan,
               {V(99.5f, 49.5f, 0, 0xFF00FF00), V(199.5f, 49.5f, 0, 0xFF00FF00),
                V(199.5f, 149.5f, 0, 0xFF00FF00), V(99.5f, 149.5f, 0, 0xFF00FF00)},
               2);
    DXG::EndFrame0();
    std::filesystem::create_directories("shots");
    ASSERT_TRUE(DXG::SaveScreenshot("shots\\frame.png"));
    DXG::EndFrame1();
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load("shots/frame.png", &w, &h, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    auto at = [&](int x, int y) {
        const unsigned char* p = pixels + (y * w + x) * 3;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    EXPECT_EQ(at(100, 50), 0x00FF00u);  // top row first, as on screen
    EXPECT_EQ(at(199, 149), 0x00FF00u);
    EXPECT_EQ(at(99, 50), 0u);
    EXPECT_EQ(at(100, 150), 0u);
    stbi_image_free(pixels);
}

TEST_F(DeviceGl, ForcedLossRunsTheRulesAndResetBringsFramesBack) {
    static int losses;
    losses = 0;
    DXG::AddDeviceLostHandler([] { ++losses; });
    ASSERT_TRUE(gfx::ForceGlCooperativeLevel(device, gfx::Result::DeviceNotReset));
    EXPECT_FALSE(DXG::BeginFrame(0.01f, true, false));
    EXPECT_TRUE(DXG::IsDeviceLost());
    ASSERT_TRUE(DXG::BeginFrame(0.01f, true, true));  // reset
    EXPECT_EQ(losses, 1);
    DXG::Clear(0xFF0000FF, true, true);
    EXPECT_EQ(Frame().At(400, 300) & 0xFFFFFF, 0x0000FFu);
    DXG::EndFrame0();
    DXG::EndFrame1();
}

TEST_F(DeviceGl, StatisticsAndShaderVersionsGoToStatLog) {
    std::string stat = LogText(statLog);
    EXPECT_NE(stat.find("Exact Vertex Shader version: OpenGL "), std::string::npos);
    EXPECT_NE(stat.find("Exact Pixel Shader version: GLSL "), std::string::npos);
    EXPECT_NE(stat.find("Initial free texture memory(vid mem + agp mem): "), std::string::npos);
}

}  // namespace
