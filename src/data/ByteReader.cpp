// Whole-file reading for the cursor.
#include "data/ByteReader.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/NativePath.h"

std::size_t ByteReader::bytes(std::uint8_t* out, std::size_t count) {
    const std::size_t available = remaining() < count ? remaining() : count;
    if (available > 0) {
        std::memcpy(out, m_data + m_position, available);
    }
    if (available < count) {
        std::memset(out + available, 0, count - available);
        m_truncated = true;
    }
    m_position += available;
    return available;
}

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (path.empty()) {
        return false;
    }
    const std::string native = NativePath(path);
    std::error_code error;
    // Devices and pipes could feed bytes without end.
    if (!std::filesystem::is_regular_file(native, error)) {
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(native, error);
    if (error || size > static_cast<std::uintmax_t>(PTRDIFF_MAX)) {
        return false;
    }
    std::FILE* file = std::fopen(native.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    // A file that shrank since its size was taken keeps what could be read.
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    bytes.resize(got);
    std::fclose(file);
    return true;
}
