// BoundedLog: the size bound and the closing line of the servers' logs.
#include "BoundedLog.h"

BoundedLog::BoundedLog(const std::string& path, std::uint64_t limit) : m_limit(limit) {
    if (!path.empty()) m_file = std::fopen(path.c_str(), "wb");
}

BoundedLog::~BoundedLog() {
    if (m_file != nullptr) std::fclose(m_file);
}

void BoundedLog::Write(const std::string& text) {
    if (m_file == nullptr || m_stopped || text.empty()) return;
    if (m_written + text.size() > m_limit) {
        // The closing line is allowed past the bound: it is short and written once.
        std::fprintf(m_file, "logging stopped here: the log reached its limit of %llu bytes\n",
                     static_cast<unsigned long long>(m_limit));
        std::fflush(m_file);
        m_stopped = true;
        return;
    }
    std::fwrite(text.data(), 1, text.size(), m_file);
    std::fflush(m_file);
    m_written += text.size();
}
