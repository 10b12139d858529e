// LogFile: one open-append-close per write, no lock and nothing kept open.
#include "runtime/LogFile.h"

#include <cstdio>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/NativePath.h"

namespace {

std::string LimitText(std::uint64_t bytes) {
    constexpr std::uint64_t kMebibyte = 1u << 20;
    if (bytes % kMebibyte == 0) return std::to_string(bytes / kMebibyte) + " MiB";
    return std::to_string(bytes) + " bytes";
}

}  // namespace

LogFile::LogFile(const char* fileName, bool echoToDebugger, std::uint64_t byteLimit)
    : m_echoToDebugger(echoToDebugger), m_byteLimit(byteLimit) {
    std::snprintf(m_fileName, sizeof m_fileName, "%s", fileName != nullptr ? fileName : "");
    if (std::FILE* file = OpenFile(m_fileName, "w+")) {
        std::fclose(file);
    }
}

// Nothing to release: the object must stay usable during static teardown.
LogFile::~LogFile() = default;

void LogFile::Write(const char* text) {
    if (text == nullptr || *text == '\0') {
        return;
    }
    if (m_echoToDebugger) {
        DebuggerOutput(text);
    }
    std::FILE* file = OpenFile(m_fileName, "a+");
    if (file == nullptr) {
        return;
    }
    const std::size_t length = std::strlen(text);
    if (m_byteLimit != kNoLimit && std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        const long stoppedAt = m_stoppedAt.load();
        // A file now shorter than at the stop was emptied from outside: logging starts again.
        if (stoppedAt >= 0 && size >= stoppedAt) {
            std::fclose(file);
            return;
        }
        m_stoppedAt = -1;
        if (size >= 0 && static_cast<std::uint64_t>(size) + length > m_byteLimit) {
            const std::string stop =
                "\n[Logging stopped here: the file reached its limit of " + LimitText(m_byteLimit) + ".]\n";
            std::fwrite(stop.data(), 1, stop.size(), file);
            m_stoppedAt = size + static_cast<long>(stop.size());
            std::fclose(file);
            return;
        }
    }
    std::fwrite(text, 1, length, file);
    std::fclose(file);
}

void LogFile::Write(const std::string& text) {
    Write(text.c_str());
}

void LogFile::Write(int value) {
    Write(std::to_string(value));
}

void LogFile::Write(long value) {
    Write(std::to_string(value));
}

void LogFile::Write(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.20g", value);
    Write(text);
}

void LogFile::Write(const LogVector3& value) {
    char text[128];
    std::snprintf(text, sizeof text, "(%.10g,%.10g,%.10g)", static_cast<double>(value.x),
                  static_cast<double>(value.y), static_cast<double>(value.z));
    Write(text);
}
