// The command-line options of recording and replay: --record FILE, --replay FILE, --speed X. Other
// arguments are left to the program's other options.
#pragma once

#include <string>
#include <vector>

struct SessionOptions {
    std::string recordPath;  // --record: where the session is recorded
    std::string replayPath;  // --replay: the recording played instead of a session
    double speed = 1.0;      // --speed: replay speed factor
};

// Reads the options; false with a message for a missing or wrong value, --speed without --replay, or
// --record together with --replay.
bool ParseSessionOptions(const std::vector<std::string>& arguments, SessionOptions& out,
                         std::string& message);

// Before the window opens: parses the options, opens the recording to write or reads the one to replay.
// Returns -1 to go on, otherwise the exit status (2 wrong arguments, 1 a file that cannot be used), the
// reason written to stderr and _error.txt.
int PrepareSession(int argc, char** argv);
// After the loop: closes the recording.
void EndSession();
