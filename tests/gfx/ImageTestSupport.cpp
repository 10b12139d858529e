// Test images written by ImageMagick and by our own minimal writers.
#include "ImageTestSupport.h"

#include <fstream>
#include <iterator>

#include "gfx/DdsWriter.h"
#include "support/TestSupport.h"

namespace imagetest {

std::vector<uint32_t> Pattern(uint32_t width, uint32_t height, bool withAlpha) {
    std::vector<uint32_t> argb;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            argb.push_back((withAlpha ? ((x + y) * 29 + 40) & 255 : 255) << 24 | ((x * 37 + 11) & 255) << 16 |
                           ((y * 53 + 7) & 255) << 8 | ((x * y * 13 + 91) & 255));
    return argb;
}

void WriteRgba(const std::filesystem::path& path, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> bytes;
    for (uint32_t c : argb)
        bytes.insert(bytes.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
    WriteBytes(path, bytes);
}

std::vector<uint32_t> ReadRgba(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    std::vector<uint32_t> argb;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        argb.push_back(uint32_t(bytes[i + 3]) << 24 | bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
    return argb;
}

bool Convert(const std::string& arguments) {
    return RunCommand("convert " + arguments) == 0;
}

namespace {
// Writes a file, making its folder; Put appends a little-endian field.
void Write(const std::filesystem::path& path, std::string out) {
    std::filesystem::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream(path, std::ios::binary) << out;
}
void Put(std::string& out, uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i) & 255));
}
}  // namespace

void WriteBmp24(const std::filesystem::path& path, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& argb) {
    uint32_t rowBytes = (width * 3 + 3) & ~3u;
    std::string out = "BM";
    for (uint32_t v : {54 + rowBytes * height, 0u, 54u, 40u, width, height}) Put(out, v);
    Put(out, 1, 2);
    Put(out, 24, 2);
    out.append(24, '\0');
    for (uint32_t y = height; y-- > 0;) {
        for (uint32_t x = 0; x < width; ++x) Put(out, argb[y * width + x], 3);
        out.append(rowBytes - width * 3, '\0');
    }
    Write(path, out);
}

void WriteDdsArgb(const std::filesystem::path& path, uint32_t width, uint32_t height,
                  const std::vector<uint32_t>& argb) {
    Write(path, gfx::DdsArgbFile(width, height, argb));
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> Put32(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4 && at + 4 <= bytes.size(); ++i) bytes[at + i] = uint8_t(value >> (8 * i));
    return bytes;
}

}  // namespace imagetest
