// Shared pieces of the graphics tests: a recording-device fixture and test image files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/Texture.h"
#include "gfx/VertexBuffer.h"
#include "runtime/ProcessState.h"
#include "support/TestSupport.h"
#include "testing/DxgTesting.h"

// A recording device inside a frame, in a scratch working folder, with an empty error log.
class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = DXG::InitRecordingForTests(nullptr, &driver);
        ASSERT_NE(device, nullptr);
        ASSERT_TRUE(DXG::BeginFrame(0.0f, false, false));
        device->ClearRecord();
        ClearLog(errorLog);
    }
    void TearDown() override { ResetProcessState(); }
    std::string Log() const { return LogText(errorLog); }

    gfx::RecordingDevice* device = nullptr;
    std::shared_ptr<gfx::RecordingDriver> driver;
    ScratchFolder folder{"gfx"};
    WorkingDirectory cwd{folder.path()};
};

// Fills the pixels x0..x1-1, y0..y1-1: corners half a pixel up and left, as Direct3D places them.
inline void DrawQuad(gfx::Device* d, float x0, float y0, float x1, float y1, uint32_t colour, float z = 0) {
    const gfx::ScreenVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, z, 1, colour, 0, 0},
                                    {x1 - 0.5f, y0 - 0.5f, z, 1, colour, 1, 0},
                                    {x1 - 0.5f, y1 - 0.5f, z, 1, colour, 1, 1},
                                    {x0 - 0.5f, y1 - 0.5f, z, 1, colour, 0, 1}};
    d->SetFVF(gfx::kFvfScreen);
    ASSERT_EQ(d->DrawPrimitiveUP(gfx::PrimitiveType::TriangleFan, 2, v, sizeof v[0]), gfx::Result::Ok);
}

namespace imagetest {

std::vector<uint32_t> Pattern(uint32_t width, uint32_t height, bool withAlpha);

// Raw 8-bit RGBA bytes, as ImageMagick's "rgba:file".
void WriteRgba(const std::filesystem::path& path, const std::vector<uint32_t>& argb);
std::vector<uint32_t> ReadRgba(const std::filesystem::path& path);

bool Convert(const std::string& arguments);

void WriteBmp24(const std::filesystem::path& path, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& argb);
void WriteDdsArgb(const std::filesystem::path& path, uint32_t width, uint32_t height,
                  const std::vector<uint32_t>& argb);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// The bytes with a little-endian 32-bit value at the offset (unchanged when it does not fit).
std::vector<uint8_t> Put32(std::vector<uint8_t> bytes, size_t at, uint32_t value);

}  // namespace imagetest
