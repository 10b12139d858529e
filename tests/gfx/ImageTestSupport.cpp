// Test images written through ImageMagick.
#include "ImageTestSupport.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/TestSupport.h"

namespace imagetest {

std::vector<uint32_t> Pattern(uint32_t width, uint32_t height, bool withAlpha) {
    std::vector<uint32_t> argb;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t r = (x * 37 + 11) & 255, g = (y * 53 + 7) & 255, b = (x * y * 13 + 91) & 255;
            uint32_t a = withAlpha ? ((x + y) * 29 + 40) & 255 : 255;
            argb.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    }
    return argb;
}

void WritePam(const std::filesystem::path& path, uint32_t width, uint32_t height,
              const std::vector<uint32_t>& argb, bool withAlpha) {
    std::ostringstream out;
    out << "P7\nWIDTH " << width << "\nHEIGHT " << height << "\nDEPTH " << (withAlpha ? 4 : 3)
        << "\nMAXVAL 255\nTUPLTYPE " << (withAlpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
    for (uint32_t c : argb) {
        out.put(char(c >> 16));
        out.put(char(c >> 8));
        out.put(char(c));
        if (withAlpha) out.put(char(c >> 24));
    }
    std::ofstream(path, std::ios::binary) << out.str();
}

bool ReadPam(const std::filesystem::path& path, uint32_t* width, uint32_t* height,
             std::vector<uint32_t>* argb) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    uint32_t depth = 0, maxval = 0;
    if (magic == "P7") {
        std::string key;
        while (in >> key && key != "ENDHDR") {
            if (key == "WIDTH")
                in >> *width;
            else if (key == "HEIGHT")
                in >> *height;
            else if (key == "DEPTH")
                in >> depth;
            else if (key == "MAXVAL")
                in >> maxval;
            else
                in.ignore(1 << 20, '\n');
        }
    } else if (magic == "P6") {
        in >> *width >> *height >> maxval;
        depth = 3;
    } else {
        return false;
    }
    in.get();
    if (maxval != 255 || (depth != 3 && depth != 4)) return false;
    argb->clear();
    for (uint32_t i = 0; i < *width * *height; ++i) {
        uint8_t p[4] = {0, 0, 0, 255};
        in.read(reinterpret_cast<char*>(p), depth);
        argb->push_back(uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
    return bool(in);
}

bool Convert(const std::string& arguments) {
    std::string program = std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
    return RunCommand(program + " " + arguments) == 0;
}

namespace {
void Put(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(v >> (8 * i) & 255));
}
}  // namespace

void WriteBmp24(const std::filesystem::path& path, uint32_t width, uint32_t height,
                const std::vector<uint32_t>& argb) {
    uint32_t rowBytes = (width * 3 + 3) & ~3u;
    std::string out = "BM";
    Put(out, 54 + rowBytes * height, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, width, 4);
    Put(out, height, 4);
    Put(out, 1, 2);
    Put(out, 24, 2);
    for (int i = 0; i < 6; ++i) Put(out, 0, 4);
    for (uint32_t y = height; y-- > 0;) {
        std::string row;
        for (uint32_t x = 0; x < width; ++x) Put(row, argb[y * width + x], 3);
        row.resize(rowBytes, '\0');
        out += row;
    }
    std::filesystem::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream(path, std::ios::binary) << out;
}

void WriteDdsArgb(const std::filesystem::path& path, uint32_t width, uint32_t height,
                  const std::vector<uint32_t>& argb) {
    std::string out = "DDS ";
    const uint32_t header[31] = {124,      0x100f, height, width,       width * 4, 0, 1, 0,  0,    0, 0,
                                 0,        0,      0,      0,           0,         0, 0, 32, 0x41, 0, 32,
                                 0xff0000, 0xff00, 0xff,   0xff000000u, 0x1000,    0, 0, 0,  0};
    for (uint32_t v : header) Put(out, v, 4);
    for (uint32_t c : argb) Put(out, c, 4);
    std::filesystem::create_directories(path.parent_path().empty() ? "." : path.parent_path());
    std::ofstream(path, std::ios::binary) << out;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace imagetest
