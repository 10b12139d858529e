// An append-only text log that stops at a size bound, so a fast peer cannot fill the disk: the write
// that would pass the bound is replaced by one last line saying that logging stopped there.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class BoundedLog {
public:
    static constexpr std::uint64_t kDefaultLimit = 64u << 20;  // bytes

    // An empty path logs nothing. The file is emptied first.
    explicit BoundedLog(const std::string& path, std::uint64_t limit = kDefaultLimit);
    ~BoundedLog();
    BoundedLog(const BoundedLog&) = delete;
    BoundedLog& operator=(const BoundedLog&) = delete;

    void Write(const std::string& text);
    bool Stopped() const { return m_stopped; }

private:
    std::FILE* m_file = nullptr;
    std::uint64_t m_limit;
    std::uint64_t m_written = 0;  // bytes
    bool m_stopped = false;
};
