// Helpers shared by the test suites: reading files, emptying the logs, a scratch folder, message boxes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "runtime/LogFile.h"

// The whole file, or an empty string when it cannot be read.
std::string ReadTextFile(const std::filesystem::path& path);

// Writes bytes to a file, creating its folders.
void WriteTextFile(const std::filesystem::path& path, const std::string& bytes);

// Empties a log's file so that a test sees only its own text.
void ClearLog(const LogFile& log);
// The log's current text.
std::string LogText(const LogFile& log);

// A fresh folder under the working directory, removed again when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Makes a folder the working directory for the lifetime of the object.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& path);
    ~WorkingDirectory();

private:
    std::filesystem::path m_previous;
};

// Captures message boxes while it lives.
class MessageBoxCapture {
public:
    struct Box {
        std::string caption;
        std::string text;
    };
    MessageBoxCapture();
    ~MessageBoxCapture();
    std::vector<Box> boxes() const;
};

// A program built beside the tests (VELM_BIN_DIR), e.g. BuiltProgram("tools/velm-server/velm-server").
std::filesystem::path BuiltProgram(const std::string& relativePath);

// Runs a shell command and returns its exit status (-1 when it did not exit normally).
int RunCommand(const std::string& command);
