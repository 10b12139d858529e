// The one way the readers look at a file's bytes: a bounds-checked little-endian cursor. A read past the
// end yields zero and sets the truncated flag; nothing outside the bytes is ever touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    explicit ByteReader(const std::vector<std::uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}

    std::uint8_t u8() {
        if (m_position >= m_size) {
            m_truncated = true;
            return 0;
        }
        return m_data[m_position++];
    }

    std::uint16_t u16() {
        if (m_size - m_position < 2) {
            const std::uint8_t low = u8();  // a value cut by the end keeps the byte it has
            return static_cast<std::uint16_t>(low | (u8() << 8));
        }
        const std::uint16_t value =
            static_cast<std::uint16_t>(m_data[m_position] | (m_data[m_position + 1] << 8));
        m_position += 2;
        return value;
    }

    // Copies up to count bytes into out; the part past the end is zero-filled. Returns the bytes copied.
    std::size_t bytes(std::uint8_t* out, std::size_t count);

    // Moves on by count bytes; past the end, as seek.
    void skip(std::size_t count) { seek(count > m_size - m_position ? m_size + 1 : m_position + count); }

    // A position past the end sets the truncated flag and leaves the cursor at the end.
    void seek(std::size_t position) {
        if (position > m_size) {
            m_truncated = true;
            position = m_size;
        }
        m_position = position;
    }

    std::size_t position() const { return m_position; }
    std::size_t size() const { return m_size; }
    std::size_t remaining() const { return m_size - m_position; }
    bool truncated() const { return m_truncated; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
    bool m_truncated = false;
};

// Reads a whole regular file (program path, backslashes) into bytes. False when it is not a regular file
// or cannot be opened or read; bytes is then empty. Memory is bounded by the file's own size.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);
