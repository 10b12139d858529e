// What both stand-in servers share: the stop flag their signal handlers raise, the port file, and the
// parsing of their command-line options.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

struct CommonServerOptions {
    int port = 0;
    std::string portFile;  // the port actually bound is written here once listening
    std::string logFile;   // the transcript
    bool once = false;     // end after the first session
};

// Called with an option's value; false rejects the value.
using OptionHandler = std::function<bool(const std::string& value)>;

// Reads --port, --port-file, --log and --once into common and every option of own (each takes a value).
// False on an unknown option, a missing value or a value its handler rejects.
bool ParseServerOptions(const std::vector<std::string>& args, CommonServerOptions& common,
                        const std::map<std::string, OptionHandler>& own);

// A whole decimal number within [low, high]; anything else (blank, trailing letters) is rejected.
bool ParseNumber(const std::string& text, int low, int high, int& value);

// SIGTERM and SIGINT raise the stop flag instead of ending the process, so the servers shut down cleanly.
void InstallStopHandlers();
bool StopRequested();

// Writes "PORT\n" to path through a temporary file, so a reader never sees half of it. Nothing when the
// path is empty.
void WritePortFile(const std::string& path, int port);
