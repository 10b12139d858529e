// The game connection's life: the first connection, the loss said aloud, and reconnection with a growing
// pause (2, 4, 8, 16, then 30 s) that the player can cut short. Time comes from a clock passed in.
#pragma once

#include <chrono>
#include <functional>
#include <string>

class NetClient;

class ConnectionKeeper {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    enum class Tone { Plain, Alarm };  // Alarm: the red of a failed send
    using Chat = std::function<void(const std::string& text, Tone tone)>;

    static constexpr int kPauseSeconds[] = {2, 4, 8, 16, 30};  // the last one repeats
    // A connection that stays up this long starts the pauses again from the first.
    static constexpr std::chrono::seconds kSteadyConnection{30};

    ConnectionKeeper(Clock clock, Chat chat);
    ~ConnectionKeeper();
    ConnectionKeeper(const ConnectionKeeper&) = delete;
    ConnectionKeeper& operator=(const ConnectionKeeper&) = delete;

    // Reads "data\velm_ip.txt", connects and registers the connection as the game connection, telling the
    // chat what happens. Without success no reconnection is ever tried.
    void ConnectFirst();
    // Once per frame, after the received bytes were handled: notices a loss, waits and tries again;
    // tryNow (F5) ends a running wait at once.
    void Update(bool tryNow);

    bool IsConnected() const;
    bool IsWaiting() const { return m_waiting; }
    const NetClient& Connection() const { return *m_connection; }

private:
    bool Connect();
    void ReportLoss();
    void ScheduleRetry();

    Clock m_clock;
    Chat m_chat;
    NetClient* m_connection = nullptr;  // owned; a new one for each try, as a NetClient serves one connection
    bool m_wasConnected = false;        // connected at the last check, so a drop is a loss
    bool m_everConnected = false;       // the first connection succeeded
    bool m_waiting = false;             // a retry is due at m_due
    int m_tries = 0;                    // retries since the last steady connection
    std::chrono::steady_clock::time_point m_due{};
    std::chrono::steady_clock::time_point m_connectedAt{};
};
