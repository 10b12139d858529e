// Chat log lines: the chat window's inline codes stripped, printable bytes only, the password kept out.
#include "client/ChatLog.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/NativePath.h"
#include "runtime/LogFile.h"

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool IsWordByte(char c) {
    return c != ' ';
}

}  // namespace

ChatLog::ChatLog(std::string folder) : ChatLog(std::move(folder), LocalNow) {}

ChatLog::ChatLog(std::string folder, Clock clock) : m_folder(std::move(folder)), m_clock(std::move(clock)) {}

void ChatLog::SetSecret(const std::string& name, const std::string& password) {
    m_password = Printable(password);
    m_loginLine = "connect " + Printable(name) + " " + m_password;
}

std::string ChatLog::Printable(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c <= 0x02) {
            i += 4;  // an inline code: its four bytes go with it (a code cut short ends the text)
            continue;
        }
        if (c >= 32 && c <= 126) out += char(c);
    }
    return out;
}

std::string ChatLog::Redacted(std::string line) const {
    if (m_password.empty()) return line;
    if (line.find(m_loginLine) != std::string::npos) return "";
    const std::string removed = "(REMOVED)";
    for (std::size_t at = line.find(m_password); at != std::string::npos; at = line.find(m_password, at)) {
        const std::size_t end = at + m_password.size();
        const bool word =
            (at == 0 || !IsWordByte(line[at - 1])) && (end == line.size() || !IsWordByte(line[end]));
        if (word) {
            line.replace(at, m_password.size(), removed);
            at += removed.size();
        } else {
            ++at;
        }
    }
    return line;
}

void ChatLog::Append(std::string_view message) {
    const std::tm now = m_clock();
    std::size_t start = 0;
    while (start <= message.size()) {
        std::size_t end = message.find('\n', start);
        if (end == std::string_view::npos) end = message.size();
        const std::string text = Redacted(Printable(message.substr(start, end - start)));
        if (!text.empty()) WriteLine(now, text);
        start = end + 1;
    }
}

void ChatLog::WriteLine(const std::tm& now, const std::string& text) {
    char name[32], stamp[16];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d.txt", (now.tm_year + 1900) % 10000,
                  (now.tm_mon + 1) % 100, now.tm_mday % 100);
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d ", now.tm_hour % 100, now.tm_min % 100,
                  now.tm_sec % 100);
    // Opened for each line and closed again: what was read is on disk even if the game dies, and the
    // first line after midnight opens the new day's file.
    std::FILE* file = OpenFile(m_folder + "\\" + name, "ab");
    if (file == nullptr) {
        std::error_code ec;
        std::filesystem::create_directories(NativePath(m_folder), ec);
        file = OpenFile(m_folder + "\\" + name, "ab");
    }
    bool written = false;
    if (file != nullptr) {
        written = std::fputs(stamp, file) >= 0 && std::fputs(text.c_str(), file) >= 0 &&
                  std::fputc('\n', file) != EOF;
        written = std::fclose(file) == 0 && written;
    }
    if (!written && !m_failureReported) {
        m_failureReported = true;
        errorLog.Write("The chat log \"" + m_folder + "/" + name +
                       "\" cannot be written; chat is not logged.\n");
    }
}
