// Shared test helpers.
#include "support/TestSupport.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/MessageBox.h"

namespace fs = std::filesystem;

std::string ReadTextFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteTextFile(const fs::path& path, const std::string& bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void ClearLog(const LogFile& log) {
    std::ofstream(log.FileName(), std::ios::trunc);
}

std::string LogText(const LogFile& log) {
    return ReadTextFile(log.FileName());
}

ScratchFolder::ScratchFolder(const std::string& name) : m_path(fs::absolute(fs::path("scratch") / name)) {
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    fs::remove_all(m_path, error);
}

WorkingDirectory::WorkingDirectory(const fs::path& path) : m_previous(fs::current_path()) {
    fs::current_path(path);
}

WorkingDirectory::~WorkingDirectory() {
    fs::current_path(m_previous);
}

namespace {
std::mutex gBoxLock;
std::vector<MessageBoxCapture::Box> gBoxes;

void CaptureBox(const std::string& caption, const std::string& text) {
    std::lock_guard guard(gBoxLock);
    gBoxes.push_back({caption, text});
}
}  // namespace

MessageBoxCapture::MessageBoxCapture() {
    std::lock_guard guard(gBoxLock);
    gBoxes.clear();
    SetMessageBoxHook(&CaptureBox);
}

MessageBoxCapture::~MessageBoxCapture() {
    SetMessageBoxHook(nullptr);
}

std::vector<MessageBoxCapture::Box> MessageBoxCapture::boxes() const {
    std::lock_guard guard(gBoxLock);
    return gBoxes;
}

fs::path BuiltProgram(const std::string& relativePath) {
    const char* dir = std::getenv("VELM_BIN_DIR");
    return fs::path(dir != nullptr ? dir : ".") / relativePath;
}

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
