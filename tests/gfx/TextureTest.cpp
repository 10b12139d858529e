// DXG::Texture over a RecordingDevice: the cache, the loading rules and their messages, colour key, mip
// levels, type deduction, bump maps, creation and the device-lost rule.
#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestSupport.h"
#include "gfx/DxgTesting.h"
#include "gfx/ImageFile.h"
#include "gfx/Texture.h"
#include "support/TestSupport.h"

using namespace imagetest;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::vector<uint32_t> Solid(uint32_t w, uint32_t h, uint32_t argb) {
    return std::vector<uint32_t>(w * h, argb);
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests(nullptr, &driver);
        ASSERT_NE(device, nullptr);
        DXG::Texture::resetForTests();
        device->ClearRecord();
        ClearLog(errorLog);
    }
    void TearDown() override { DXG::resetForTests(); }
    // Level pixels of a 32-bit device texture, read through a lock.
    std::vector<uint32_t> Level32(const std::shared_ptr<gfx::Texture>& texture, uint32_t level) {
        gfx::SurfaceDesc desc = texture->GetLevelDesc(level);
        gfx::LockedRect rect;
        EXPECT_TRUE(gfx::Succeeded(texture->LockRect(level, &rect, gfx::kLockReadOnly)));
        std::vector<uint32_t> pixels(desc.width * desc.height);
        for (uint32_t y = 0; y < desc.height; ++y)
            std::memcpy(&pixels[y * desc.width], static_cast<uint8_t*>(rect.bits) + y * rect.pitch,
                        desc.width * 4);
        texture->UnlockRect(level);
        return pixels;
    }

    gfx::RecordingDevice* device = nullptr;
    std::shared_ptr<gfx::RecordingDriver> driver;
    ScratchFolder folder{"texture"};
    WorkingDirectory cwd{folder.path()};
};

TEST_F(TextureTest, HandlesShareOneCachedRecordByCaseInsensitiveName) {
    auto pixels = Pattern(16, 8, false);
    WriteBmp24("data/walls/stone1.bmp", 16, 8, pixels);
    DXG::Texture first, second;
    ASSERT_TRUE(first.Load("data\\walls\\stone1.bmp", DXG::FROM_FILE, true, true));
    EXPECT_EQ(first.GetType(), uint32_t(DXG::OPAQUE));
    EXPECT_EQ(first.GetFormat(), gfx::fmt::R8G8B8);
    auto texture = first.GetDeviceTexture();
    EXPECT_EQ(texture->GetLevelDesc(0).format, gfx::fmt::X8R8G8B8);  // 24-bit files are stored as 32-bit
    EXPECT_EQ(texture->GetLevelDesc(0).pool, gfx::Pool::Managed);
    EXPECT_EQ(Level32(texture, 0), pixels);

    std::filesystem::remove("data/walls/stone1.bmp");  // later loads read no file
    ASSERT_TRUE(second.Load("DATA\\Walls\\STONE1.BMP", DXG::FROM_FILE, true, true));
    EXPECT_EQ(first.GetRecord(), second.GetRecord());
    EXPECT_EQ(first.GetRecord()->count, 2u);
    device->ClearRecord();
    EXPECT_TRUE(second.Load("data\\walls\\stone1.BMP", DXG::ALPHA, false, false));  // already held
    EXPECT_EQ(first.GetRecord()->count, 2u);
    EXPECT_TRUE(device->calls.empty());
    EXPECT_EQ(LogText(errorLog), "");

    // A failed load releases the held record.
    EXPECT_FALSE(first.Load("missing.bmp", DXG::FROM_FILE, false, false));
    EXPECT_FALSE(second.Load("missing.bmp", DXG::FROM_FILE, false, false));
    EXPECT_TRUE(second.IsBlank());
    EXPECT_TRUE(DXG::Texture::Registry().empty());
}

struct RefusalCase {
    const char* name;
    void (*makeFile)();  // writes the file into the working folder
    const char* file;
    uint32_t type;
    bool colourKey;
    void (*force)(gfx::RecordingDevice&);  // a forced device outcome, if any
    std::string expectedMessage;           // up to the call stack
};

void CutDds(const char* file, size_t size, uint32_t caps2) {
    WriteDdsArgb(file, 4, 4, Solid(4, 4 * 6, 0xff00ff00));  // room for six faces
    auto bytes = ReadBytes(file);
    std::memcpy(&bytes[112], &caps2, 4);
    bytes.resize(std::min(size, bytes.size()));
    WriteBytes(file, bytes);
}
void Black8() {
    WriteBmp24("pic.bmp", 8, 8, Solid(8, 8, 0xff000000));
}

const RefusalCase kRefusals[] = {
    {"missingFile", [] {}, "nothing.bmp", DXG::FROM_FILE, false, nullptr,
     "Failed to load image \"nothing.bmp\"\n  -call made from:\n"},
    {"notAnImage", [] { WriteTextFile("text.bmp", "hello"); }, "text.bmp", DXG::FROM_FILE, false, nullptr,
     "Failed to load image \"text.bmp\"\n  -call made from:\n"},
    {"notPowerOfTwo", [] { WriteBmp24("odd.bmp", 100, 64, Solid(100, 64, 0xff808080)); }, "odd.bmp",
     DXG::FROM_FILE, false, nullptr,
     "Unable to load image \"odd.bmp\"\n  -dimensions must be powers of 2\n  -call made from:\n"},
    {"cubeMap", [] { CutDds("cube.dds", 1 << 20, 0xfe00); }, "cube.dds", DXG::FROM_FILE, false, nullptr,
     "Unable to load image \"cube.dds\"\n  -image type must be either a surface or a texture\n"
     "  -call made from:\n"},
    {"colourKeyWithAlpha", [] { WriteDdsArgb("alpha.dds", 8, 8, Solid(8, 8, 0x80ffffff)); }, "alpha.dds",
     DXG::FROM_FILE, true, nullptr,
     "Unable to load image \"alpha.dds\"\n  -cannot apply colorkey-based loading to images with an alpha "
     "channel\n  -call made from:\n"},
    {"freeType", Black8, "pic.bmp", DXG::FREE, false, nullptr,
     "Error: attempt to load texture of type FREE\n  -call made from:\n"},
    {"truncatedPixels", [] { CutDds("cut.dds", 128 + 50, 0); }, "cut.dds", DXG::FROM_FILE, false, nullptr,
     "Failed to load image \"cut.dds\"\n  -file contains invalid data\n  -call made from:\n"},
    {"outOfVideoMemory", Black8, "pic.bmp", DXG::FROM_FILE, false,
     [](gfx::RecordingDevice& d) { d.createTextureResult = gfx::Result::OutOfVideoMemory; },
     "Failed to load image \"pic.bmp\"\n  -graphics device out of memory\n  -call made from:\n"},
    {"unsupported", Black8, "pic.bmp", DXG::FROM_FILE, false,
     [](gfx::RecordingDevice& d) { d.createTextureResult = gfx::Result::NotAvailable; },
     "Failed to load image \"pic.bmp\"\n  -graphics device doesn't support requested type\n"
     "  -call made from:\n"},
    {"bumpLockFails", Black8, "pic.bmp", DXG::BUMP, false,
     [](gfx::RecordingDevice& d) { d.lockResult = gfx::Result::Fail; },
     "Failed to load image \"pic.bmp\"\n  -call made from:\n"},
};

TEST_F(TextureTest, RefusedLoadsReportTheirMessageAndLeaveTheHandleBlank) {
    for (const RefusalCase& c : kRefusals) {
        DXG::Texture::resetForTests();
        ClearLog(errorLog);
        c.makeFile();
        if (c.force) c.force(*device);
        DXG::Texture t;
        EXPECT_FALSE(c.colourKey ? t.LoadColorKeyed(c.file) : t.Load(c.file, c.type, true, true)) << c.name;
        device->createTextureResult = device->lockResult = gfx::Result::Ok;
        EXPECT_TRUE(t.IsBlank()) << c.name;
        EXPECT_EQ(t.GetRecord(), nullptr) << c.name;
        std::string log = LogText(errorLog);
        EXPECT_TRUE(StartsWith(log, c.expectedMessage)) << c.name << ": " << log;
        EXPECT_EQ(log.back(), '\n') << c.name;
    }
}

TEST_F(TextureTest, MipLevelCountFollowsTheSmallerSide) {
    const struct {
        uint32_t width, height;
        bool mipmaps;
        uint32_t levels;
    } cases[] = {{256, 64, true, 4},  {8, 8, true, 1},      {4, 4, true, 1},
                 {128, 128, true, 5}, {128, 128, false, 1}, {2, 1, true, 1}};
    for (const auto& c : cases) {
        std::string name = "mip" + std::to_string(c.width) + "x" + std::to_string(c.height) +
                           (c.mipmaps ? "m" : "") + ".bmp";
        WriteBmp24(name, c.width, c.height, Solid(c.width, c.height, 0xff336699));
        device->ClearRecord();
        DXG::Texture t;
        ASSERT_TRUE(t.Load(name, DXG::FROM_FILE, c.mipmaps, true)) << name;
        EXPECT_EQ(t.GetDeviceTexture()->GetLevelCount(), c.levels) << name;
        std::string size = std::to_string(c.width) + "," + std::to_string(c.height) + ",";
        EXPECT_TRUE(StartsWith(device->CallTexts("CreateTexture").at(0),
                               "CreateTexture(" + size + std::to_string(c.levels) + ","))
            << name;
    }
}

TEST_F(TextureTest, MipLevelsAreBoxFilteredWhenSmoothAndPointSampledOtherwise) {
    // Columns alternate black and white: the box filter greys them, the point filter keeps the black column.
    std::vector<uint32_t> stripes(32 * 32);
    for (uint32_t i = 0; i < stripes.size(); ++i) stripes[i] = (i % 2) ? 0xffffffffu : 0xff000000u;
    WriteBmp24("smooth.bmp", 32, 32, stripes);
    WriteBmp24("sharp.bmp", 32, 32, stripes);
    DXG::Texture smooth, sharp;
    ASSERT_TRUE(smooth.Load("smooth.bmp", DXG::FROM_FILE, true, true));
    ASSERT_TRUE(sharp.Load("sharp.bmp", DXG::FROM_FILE, true, false));
    ASSERT_EQ(smooth.GetDeviceTexture()->GetLevelCount(), 3u);
    EXPECT_EQ(Level32(smooth.GetDeviceTexture(), 1)[0], 0xff808080u);
    EXPECT_EQ(Level32(sharp.GetDeviceTexture(), 2)[0], 0xff000000u);
}

TEST_F(TextureTest, AspectRatioOverEightWarnsButKeepsTheTexture) {
    WriteBmp24("eight.bmp", 256, 32, Solid(256, 32, 0xff101010));
    WriteBmp24("wide.bmp", 512, 32, Solid(512, 32, 0xff101010));
    DXG::Texture eight, wide;
    ASSERT_TRUE(eight.Load("eight.bmp", DXG::FROM_FILE, false, false));
    EXPECT_EQ(LogText(errorLog), "");
    ASSERT_TRUE(wide.Load("wide.bmp", DXG::FROM_FILE, false, false));
    EXPECT_FALSE(wide.IsBlank());
    EXPECT_TRUE(
        StartsWith(LogText(errorLog),
                   "warning: image \"wide.bmp\" loaded successfully, but aspect ratio is greater than 8\n"
                   "  -aspect ratio more than 8 not recommended for best compatability with older hardware\n"
                   "  -call made from:\n"))
        << LogText(errorLog);
}

TEST_F(TextureTest, ColourKeyMakesOpaqueBlackTransparent) {
    WriteBmp24("data/pickINI.bmp", 2, 2, {0xff000000, 0xffff0000, 0xff000001, 0xff000000});
    DXG::Texture t;
    ASSERT_TRUE(t.LoadColorKeyed("data\\pickINI.bmp"));
    auto texture = t.GetDeviceTexture();
    EXPECT_EQ(texture->GetLevelDesc(0).format, gfx::fmt::A8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    EXPECT_EQ(Level32(texture, 0), (std::vector<uint32_t>{0, 0xffff0000, 0xff000001, 0}));
}

TEST_F(TextureTest, TypeIsDeducedFromTheFilesPixelFormat) {
    WriteDdsArgb("alpha.dds", 4, 4, Solid(4, 4, 0x80ff0000));
    DXG::Texture alpha;
    ASSERT_TRUE(alpha.Load("alpha.dds", DXG::OPAQUE, false, false));
    EXPECT_EQ(alpha.GetType(), uint32_t(DXG::ALPHA));
    EXPECT_EQ(alpha.GetDeviceTexture()->GetLevelDesc(0).format, gfx::fmt::X8R8G8B8);  // the type's format
    EXPECT_EQ(LogText(errorLog), "");

    // A DXT5 file: no type for its format, so the internal error and ALPHA; its blocks are uploaded as is.
    ASSERT_TRUE(
        Convert("-size 8x8 xc:red -alpha set -channel A -evaluate set 50% -define "
                "dds:compression=dxt5 -define dds:mipmaps=0 blocks.dds"));
    DXG::Texture blocks;
    ASSERT_TRUE(blocks.Load("blocks.dds", DXG::FROM_FILE, false, false));
    EXPECT_EQ(blocks.GetType(), uint32_t(DXG::ALPHA));
    EXPECT_TRUE(StartsWith(LogText(errorLog),
                           "Internal DXG Error: unable to deduce texture type from d3d format\n  -stack:"));
    auto texture = blocks.GetDeviceTexture();
    ASSERT_EQ(texture->GetLevelDesc(0).format, gfx::fmt::DXT5);
    gfx::LockedRect rect;
    ASSERT_TRUE(gfx::Succeeded(texture->LockRect(0, &rect, gfx::kLockReadOnly)));
    auto file = ReadBytes("blocks.dds");
    EXPECT_EQ(std::memcmp(rect.bits, file.data() + 128, 16), 0);
    EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(rect.bits) + rect.pitch, file.data() + 128 + 32, 16), 0);
    texture->UnlockRect(0);
}

TEST_F(TextureTest, CompressedTypeCompressesToDxt5) {
    WriteDdsArgb("glow.dds", 8, 8, Solid(8, 8, 0x80ff0000));
    DXG::Texture t;
    ASSERT_TRUE(t.Load("glow.dds", DXG::COMPRESSED, false, false));
    auto texture = t.GetDeviceTexture();
    ASSERT_EQ(texture->GetLevelDesc(0).format, gfx::fmt::DXT5);
    gfx::LockedRect rect;
    ASSERT_TRUE(gfx::Succeeded(texture->LockRect(0, &rect, gfx::kLockReadOnly)));
    std::vector<uint32_t> decoded;
    ASSERT_TRUE(gfx::DecodeDxt(gfx::fmt::DXT5, static_cast<uint8_t*>(rect.bits), 16, 4, 4, &decoded));
    texture->UnlockRect(0);
    EXPECT_NEAR(double(decoded[0] >> 24), 128.0, 2.0);
    EXPECT_EQ(decoded[0] & 0xffffff, 0xff0000u);
}

TEST_F(TextureTest, FormatRuleOnA32BitDisplayAndItsInternalError) {
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::OPAQUE), gfx::fmt::X8R8G8B8);
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::ALPHA), gfx::fmt::A8R8G8B8);
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::COMPRESSED), gfx::fmt::DXT5);
    EXPECT_EQ(LogText(errorLog), "");
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(9), 9u);
    EXPECT_TRUE(StartsWith(LogText(errorLog),
                           "Internal DXG error: Unable to find compatible format in "
                           "CalcFormatFromType.\n  -call made from:\n"));
}

TEST(TextureFormatRule, SixteenBitDisplayPrefersAcceptedFormats) {
    DXG::Setup setup;
    setup.fullscreen = 1;
    setup.colour32 = 0;
    std::shared_ptr<gfx::RecordingDriver> driver;
    ASSERT_NE(DXG::InitRecordingForTests(&setup, &driver), nullptr);
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::OPAQUE), gfx::fmt::R5G6B5);
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::ALPHA), gfx::fmt::A4R4G4B4);
    driver->refusedTextureFormats = {gfx::fmt::R5G6B5, gfx::fmt::A4R4G4B4};
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::OPAQUE), gfx::fmt::X1R5G5B5);
    EXPECT_EQ(DXG::Texture::CalcFormatFromType(DXG::ALPHA), gfx::fmt::A1R5G5B5);
    DXG::resetForTests();
}

TEST_F(TextureTest, BumpTypeStoresTheNormalMapOfTheRedChannel) {
    // Height rises to the right in the left half: the normals there lean toward -x (red below 128).
    std::vector<uint32_t> heights(16 * 16);
    for (uint32_t i = 0; i < heights.size(); ++i) heights[i] = 0xff000000u | std::min(i % 16, 8u) * 30 << 16;
    WriteBmp24("height.bmp", 16, 16, heights);
    DXG::Texture t;
    ASSERT_TRUE(t.Load("height.bmp", DXG::BUMP, false, false));
    auto texture = t.GetDeviceTexture();
    ASSERT_EQ(texture->GetLevelDesc(0).format, gfx::fmt::A8R8G8B8);
    auto normals = Level32(texture, 0);
    uint32_t slope = normals[4 * 16 + 4];
    EXPECT_EQ(slope >> 24, 255u);
    // dz/dx = (3 x -60/255) / 6 per sample: n.x = -0.117, stored as 0.5 n.x + 0.5 = 113.
    EXPECT_NEAR(double((slope >> 16) & 255), 113.0, 1.0);
    EXPECT_EQ((slope >> 8) & 255, 128u);
    EXPECT_EQ(normals[4 * 16 + 12], 0xff8080ffu);   // flat: straight up
    EXPECT_EQ(t.GetType(), uint32_t(DXG::OPAQUE));  // deduced from the file's format
}

TEST_F(TextureTest, CreateMakesAnX8R8G8B8TextureAndWarnsOnOddSizes) {
    DXG::Texture t;
    ASSERT_TRUE(t.Create(64, 48, DXG::OPAQUE));
    EXPECT_TRUE(StartsWith(device->CallTexts("CreateTexture").at(0), "CreateTexture(64,48,1,"));
    EXPECT_EQ(t.GetDeviceTexture()->GetLevelDesc(0).format, gfx::fmt::X8R8G8B8);
    EXPECT_TRUE(
        StartsWith(LogText(errorLog),
                   "Cannot create texture:\n  -dimensions must be powers of 2\n  -attempt made from:\n"));

    ClearLog(errorLog);
    device->createTextureResult = gfx::Result::OutOfVideoMemory;
    EXPECT_FALSE(t.Create(64, 64, DXG::OPAQUE));
    EXPECT_TRUE(t.IsBlank());
    EXPECT_TRUE(StartsWith(LogText(errorLog), "Texture creation failed.\n  -call made from: "));
}

TEST_F(TextureTest, DeviceLossDropsOnlyVolatileDeviceTextures) {
    DXG::Texture kept, dropped;
    ASSERT_TRUE(kept.Create(8, 8, DXG::OPAQUE));
    ASSERT_TRUE(dropped.Create(8, 8, DXG::VOLATILE));
    device->cooperativeLevel = gfx::Result::DeviceLost;
    EXPECT_FALSE(DXG::BeginFrame(0.0f, false, false));
    EXPECT_NE(kept.GetDeviceTexture(), nullptr);
    EXPECT_EQ(dropped.GetDeviceTexture(), nullptr);
    EXPECT_FALSE(dropped.IsBlank());  // the record stays; only its device texture went
}

TEST(TextureNotReady, LoadAndCreateReportTheUninitializedFoundation) {
    DXG::resetForTests();
    DXG::Texture t;
    for (const char* name : {"Load", "Create"}) {
        ClearLog(errorLog);
        EXPECT_FALSE(name[0] == 'L' ? t.Load("data\\font12.dds", DXG::FROM_FILE, false, false)
                                    : t.Create(8, 8, DXG::OPAQUE));
        EXPECT_TRUE(StartsWith(LogText(errorLog), std::string("Error: DXG::Texture::") + name +
                                                      " used when graphics foundation is not "
                                                      "initialized.\n  -call made from:\n"))
            << LogText(errorLog);
    }
}

}  // namespace
