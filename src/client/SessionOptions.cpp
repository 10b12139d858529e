// Parsing of the recording and replay options, and their effect before and after the frame loop.
#include "client/SessionOptions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "client/SessionRecorder.h"
#include "client/SessionReplay.h"
#include "runtime/LogFile.h"

namespace {

void Report(const std::string& text) {
    std::fprintf(stderr, "velmview: %s\n", text.c_str());
    errorLog.Write(text + "\n");
}

}  // namespace

bool ParseSessionOptions(const std::vector<std::string>& arguments, SessionOptions& out,
                         std::string& message) {
    bool speedGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option != "--record" && option != "--replay" && option != "--speed") continue;
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            message = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--record") out.recordPath = value;
        if (option == "--replay") out.replayPath = value;
        if (option == "--speed") {
            char* end = nullptr;
            const double speed = std::strtod(value.c_str(), &end);
            if (*end != '\0' || !std::isfinite(speed) || speed < kMinReplaySpeed || speed > kMaxReplaySpeed) {
                message = "--speed takes a number from 0.01 to 1000, not \"" + value + "\"";
                return false;
            }
            out.speed = speed;
            speedGiven = true;
        }
    }
    if (!out.recordPath.empty() && !out.replayPath.empty()) {
        message = "--record and --replay cannot be used together";
        return false;
    }
    if (speedGiven && out.replayPath.empty()) {
        message = "--speed needs --replay";
        return false;
    }
    return true;
}

int PrepareSession(int argc, char** argv) {
    SessionOptions options;
    std::string message;
    if (!ParseSessionOptions(std::vector<std::string>(argv + 1, argv + argc), options, message)) {
        Report(message + " (usage: velmview [--record FILE | --replay FILE [--speed X]])");
        return 2;
    }
    if (!options.recordPath.empty() && !StartRecording(options.recordPath, message)) {
        Report("Cannot record the session to \"" + options.recordPath + "\": " + message + ".");
        return 1;
    }
    if (!options.replayPath.empty()) {
        Recording recording;
        if (!LoadRecording(options.replayPath, recording, message)) {
            Report("Cannot replay \"" + options.replayPath + "\": " + message + ".");
            return 1;
        }
        if (!message.empty())
            Report("The recording \"" + options.replayPath + "\" is incomplete: " + message + ".");
        StartReplay(std::move(recording), options.speed);
    }
    return -1;
}

void EndSession() {
    StopRecording();
}
