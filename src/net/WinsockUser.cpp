// Socket library start and stop per connection object, and the byte totals of the statistics report.
#include "net/WinsockUser.h"

#include <atomic>
#include <mutex>

#include "platform/Socket.h"
#include "runtime/LogFile.h"

namespace {
struct UserState {
    std::mutex lock;  // guards userCount; the totals are atomic because receive threads add to them
    int userCount = 0;
    std::atomic<std::uint32_t> totalSent{0};      // wraps at 2^32
    std::atomic<std::uint32_t> totalReceived{0};  // wraps at 2^32
};

UserState& State() {
    // Constructed on first use, so connection objects that are globals of other files find it ready.
    static UserState* state = new UserState;
    return *state;
}
}  // namespace

std::string NetworkAmountText(std::uint32_t total) {
    const std::uint32_t kilobytes = total / 1024;
    const std::uint32_t megabytes = kilobytes / 1024;
    if (megabytes >= 8) return std::to_string(megabytes) + "MB";
    if (kilobytes > 100) return std::to_string(kilobytes) + "KB";
    return std::to_string(total) + " bytes";
}

WinsockUser::WinsockUser() {
    UserState& state = State();
    {
        std::lock_guard<std::mutex> hold(state.lock);
        if (state.userCount == 0) {
            state.totalSent = 0;
            state.totalReceived = 0;
        }
        ++state.userCount;
    }
    m_started = StartSocketLibrary();
    if (!m_started) errorLog.Write("Failed to init WinSock library.\n");
}

WinsockUser::~WinsockUser() {
    if (m_started) StopSocketLibrary();
    m_started = false;
    UserState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    if (--state.userCount == 0) {
        statLog.Write("Network connection:\n");
        statLog.Write("  -Total data sent: " + NetworkAmountText(state.totalSent) + "\n");
        statLog.Write("  -Total data received: " + NetworkAmountText(state.totalReceived) + "\n\n");
    }
}

void WinsockUser::AddSent(std::uint32_t count) {
    State().totalSent += count;
}

void WinsockUser::AddReceived(std::uint32_t count) {
    State().totalReceived += count;
}

int WinsockUser::UserCount() {
    std::lock_guard<std::mutex> hold(State().lock);
    return State().userCount;
}
