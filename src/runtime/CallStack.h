// Call stacks as text, and the error report that follows every detected misuse.
#pragma once

#include <string>

// The calling thread's stack, one line per frame, innermost (the caller of GetCallStack) first, at most
// 64 frame lines. Empty when symbols are unavailable.
std::string GetCallStack();

// The same, with the innermost skipFrames frames left out (for helpers that report on behalf of a caller).
std::string GetCallStackSkipping(int skipFrames);

// The text after its first line (after the first character with a code from 1 to 31); unchanged when
// there is no such character.
std::string StripFirstLine(const std::string& text);

// The system's message for the calling thread's last error (errno).
std::string LastErrorText();

// False when the symbol engine could not start; call stacks are then empty.
bool SymbolEngineReady();

inline constexpr const char* kCallMadeFrom = "  -call made from:\n";
inline constexpr const char* kAttemptMadeFrom = "  -attempt made from:\n";

// The error report of a misuse, written to errorLog as separate writes: the message (which ends in "\n"),
// the introducing line, the stack starting at the caller of the function that calls ReportMisuse, and an
// empty line. The same report from the same place (message and stack) is written at most 10 times; the
// 11th writes one line saying that further ones are only counted.
void ReportMisuse(const std::string& message, const char* introducingLine = kAttemptMadeFrom);

// Writes to statLog how often each report beyond the written ones was made; nothing when none was.
// Runs by itself at exit.
void WriteRepeatedReportCounts();
