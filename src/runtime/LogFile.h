// The three diagnostic logs. Each write opens the file, appends, and closes it again, so the text is on
// disk as soon as the write returns, even if the process dies right after.
#pragma once

#include <string>

struct LogVector3 {
    float x = 0, y = 0, z = 0;
};

class LogFile {
public:
    // Creates or empties the file; a file that cannot be created is not reported.
    LogFile(const char* fileName, bool echoToDebugger);
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
};

// The three logs are never destroyed, so that the memory tracker's exit report, the last thing the
// process runs, can still write.
extern LogFile& errorLog;  // "_error.txt": errors, warnings, call stacks, memory leaks
extern LogFile& statLog;   // "_stat.txt": system description and statistics
extern LogFile& netLog;    // "_netlog.txt": what is exchanged with the game server
