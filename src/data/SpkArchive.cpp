// Reads SPK archives: a shape count, a skipped table of 16-bit values, then the shape records in order,
// each with its rows stored bottom row first.
#include "data/SpkArchive.h"

#include "data/ByteReader.h"
#include "runtime/LogFile.h"

void SpkArchive::loadBytes(const std::uint8_t* data, std::size_t size) {
    m_shapes.clear();
    ByteReader in(data, size);
    const std::uint16_t count = in.u16();
    m_shapes.resize(count);
    in.skip(2u * count);

    for (SpkShape& shape : m_shapes) {
        if (in.remaining() < 4) {
            break;  // the file ends inside this record: it and the shapes after it stay empty
        }
        const int width = in.u8();
        const int height = in.u8();
        in.skip(2);
        shape.m_width = width;
        shape.m_height = height;
        shape.m_pixels.assign(static_cast<std::size_t>(width) * height, 0);
        for (int r = height - 1; r >= 0; --r) {
            in.bytes(shape.m_pixels.data() + static_cast<std::size_t>(r) * width,
                     static_cast<std::size_t>(width));
        }
        if (!shape.m_pixels.empty()) {
            shape.keyColor = shape.m_pixels[0];
        }
    }
}

bool SpkArchive::load(const std::string& path) {
    m_shapes.clear();
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        errorLog.Write("Unable to open " + path + " to load SPK data.\n");
        return false;
    }
    loadBytes(bytes.data(), bytes.size());
    return true;
}
