// LogFile: one open-append-close per write, no lock and nothing kept open.
#include "runtime/LogFile.h"

#include <cstdio>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/NativePath.h"

LogFile::LogFile(const char* fileName, bool echoToDebugger) : m_echoToDebugger(echoToDebugger) {
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
    std::fwrite(text, 1, std::strlen(text), file);
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
