// The base of every connection object: starts and stops the socket library and keeps the process-wide
// byte totals, which go to the statistics log when the last user goes away.
#pragma once

#include <cstdint>
#include <string>

class WinsockUser {
public:
    WinsockUser();
    virtual ~WinsockUser();

    WinsockUser(const WinsockUser&) = delete;
    WinsockUser& operator=(const WinsockUser&) = delete;

    bool IsStarted() const { return m_started; }

    static void AddSent(std::uint32_t count);
    static void AddReceived(std::uint32_t count);

    // The number of users alive.
    static int UserCount();

private:
    bool m_started = false;  // the socket library was started for this object
};

// A byte total as the statistics report writes it: "12MB", "512KB" or "1234 bytes".
std::string NetworkAmountText(std::uint32_t total);
