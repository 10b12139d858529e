// The three diagnostic logs. Each write opens the file, appends, and closes it again, so the text is on
// disk as soon as the write returns, even if the process dies right after.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct LogVector3 {
    float x = 0, y = 0, z = 0;
};

class LogFile {
public:
    static constexpr std::uint64_t kNoLimit = 0;
    static constexpr std::uint64_t kDiagnosticLimit = 64u << 20;  // bytes: _error.txt and _netlog.txt

    // Creates or empties the file; a file that cannot be created is not reported. With a byte limit, a
    // write that would take the file past it is replaced by one line saying that logging stopped, and
    // later writes are dropped, so a fast server or a repeated fault cannot fill the disk.
    LogFile(const char* fileName, bool echoToDebugger, std::uint64_t byteLimit = kNoLimit);
    // Releases nothing: a log stays usable until the process ends, even during static teardown.
    virtual ~LogFile();

    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    void Write(const char* text);  // null or empty: nothing happens
    void Write(const std::string& text);
    void Write(int value);
    void Write(long value);
    void Write(double value);             // %.20g
    void Write(const LogVector3& value);  // "(x,y,z)" with %.10g

    const char* FileName() const { return m_fileName; }

private:
    // A copy held inline, not on the heap: the memory tracker's exit report still writes through the
    // logs after their destructors have run.
    char m_fileName[4096];
    bool m_echoToDebugger;
    std::uint64_t m_byteLimit;
    std::atomic<long> m_stoppedAt{-1};  // file size after the stop line; -1 while logging
};

// The three logs are never destroyed, so that the memory tracker's exit report, the last thing the
// process runs, can still write.
extern LogFile& errorLog;  // "_error.txt": errors, warnings, call stacks, memory leaks
extern LogFile& statLog;   // "_stat.txt": system description and statistics
extern LogFile& netLog;    // "_netlog.txt": what is exchanged with the game server
