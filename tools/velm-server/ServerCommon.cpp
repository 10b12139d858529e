// ServerCommon: the stop flag, the port file and the option parser of the stand-in servers.
#include "ServerCommon.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {
std::atomic<bool> gStopRequested{false};

void RequestStop(int) {
    gStopRequested = true;
}
}  // namespace

bool ParseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    const long long parsed = std::atoll(text.c_str());
    if (parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseServerOptions(const std::vector<std::string>& args, CommonServerOptions& common,
                        const std::map<std::string, OptionHandler>& own) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--once") {
            common.once = true;
            continue;
        }
        if (i + 1 >= args.size()) return false;
        const std::string& value = args[++i];
        if (arg == "--port") {
            if (!ParseNumber(value, 0, 65535, common.port)) return false;
        } else if (arg == "--port-file") {
            common.portFile = value;
        } else if (arg == "--log") {
            common.logFile = value;
        } else {
            const auto handler = own.find(arg);
            if (handler == own.end() || !handler->second(value)) return false;
        }
    }
    return true;
}

void InstallStopHandlers() {
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);
}

bool StopRequested() {
    return gStopRequested.load();
}

void WritePortFile(const std::string& path, int port) {
    if (path.empty()) return;
    const std::string temporary = path + ".tmp";
    if (std::FILE* file = std::fopen(temporary.c_str(), "wb")) {
        std::fprintf(file, "%d\n", port);
        std::fclose(file);
        std::rename(temporary.c_str(), path.c_str());
    }
}
