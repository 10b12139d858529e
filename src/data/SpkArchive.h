// SPK sprite archives: an ordered list of shapes, each a small rectangle of 8-bit palette indices.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

class SpkShape {
public:
    std::uint8_t keyColor =
        0;  // palette index of the top-left pixel: the transparent index; 0 without pixels

    int width() const { return m_width; }    // bytes per row
    int height() const { return m_height; }  // number of rows
    // Row r (0 = top row of the image), width() bytes.
    const std::uint8_t* row(int r) const {
        assert(r >= 0 && r < m_height);
        return m_pixels.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(m_width);
    }

private:
    friend class SpkArchive;
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels;  // height rows of width bytes, top row first
};

class SpkArchive {
public:
    // Replaces the contents with the file's shapes; emptied first, also when the file cannot be opened.
    // False only when it cannot be opened. A file that ends early keeps every shape and pixel read so
    // far; pixels it lacks are 0, and shapes whose size it lacks are empty (0 x 0).
    bool load(const std::string& path);

    // The same from bytes already in memory (never fails).
    void loadBytes(const std::uint8_t* data, std::size_t size);

    int shapeCount() const { return static_cast<int>(m_shapes.size()); }
    const SpkShape& shape(int k) const {
        assert(k >= 0 && k < shapeCount());
        return m_shapes[static_cast<std::size_t>(k)];
    }

    void clear() { m_shapes.clear(); }

private:
    std::vector<SpkShape> m_shapes;
};
