// Shared pieces of the graphics tests: a fixture over the recording device, and test images, either a
// known pattern handed to ImageMagick (an encoder independent of ours) as raw RGBA bytes or exact files
// from our own minimal writers.
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

// A recording device with empty texture and vertex-buffer registries, inside a frame, in a scratch working
// folder, with an empty error log.
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

inline bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

namespace imagetest {

// ARGB pattern with distinct channels per pixel; alpha varies when withAlpha, else 255.
std::vector<uint32_t> Pattern(uint32_t width, uint32_t height, bool withAlpha);

// Raw 8-bit RGBA bytes, the form ImageMagick reads and writes as "rgba:file".
void WriteRgba(const std::filesystem::path& path, const std::vector<uint32_t>& argb);
std::vector<uint32_t> ReadRgba(const std::filesystem::path& path);

// Runs ImageMagick's convert with the arguments; true on exit status 0.
bool Convert(const std::string& arguments);

// A 24-bit BMP (alpha dropped) and a one-level A8R8G8B8 DDS.
void WriteBmp24(const std::filesystem::path& path, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& argb);
void WriteDdsArgb(const std::filesystem::path& path, uint32_t width, uint32_t height,
                  const std::vector<uint32_t>& argb);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// The bytes with a little-endian 32-bit value at the offset (unchanged when it does not fit).
std::vector<uint8_t> Put32(std::vector<uint8_t> bytes, size_t at, uint32_t value);

}  // namespace imagetest
