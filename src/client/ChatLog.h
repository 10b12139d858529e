// The chat log: every text that enters the chat window, appended to chatlog/YYYY-MM-DD.txt in the game
// directory as "HH:MM:SS text" in local time. The files are the player's: never emptied, one a day.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

class ChatLog {
public:
    // The local time now; tests pass their own.
    using Clock = std::function<std::tm()>;

    // Logs into folder (a game-directory path such as "chatlog") with the system's local time.
    explicit ChatLog(std::string folder);
    ChatLog(std::string folder, Clock clock);

    // Text that must never be written (the profile's password): where it stands as a word of its own it is
    // written as "(REMOVED)", and a line holding the login line is not written at all.
    void SetSecret(const std::string& name, const std::string& password);

    // Appends one chat-window message: colour, size and background codes dropped, then every byte
    // outside 32..126; a line per line of the message, empty lines skipped. A file that cannot be written
    // costs one line in _error.txt, once; the game goes on.
    void Append(std::string_view message);

    // The text of a message as it is logged, one string per line (exposed for the tests and benchmark).
    static std::string Printable(std::string_view line);

private:
    std::string Redacted(std::string line) const;
    void WriteLine(const std::tm& now, const std::string& text);

    std::string m_folder;
    Clock m_clock;
    std::string m_loginLine;  // "connect NAME PASSWORD"
    std::string m_password;
    bool m_failureReported = false;
};
