// Records the game session to a file the player names: the player's name, the server connected to, every
// block received (when the protocol takes it) and every line sent, with the login line masked as
// _netlog.txt masks it. Nothing happens while no recording is open. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Creates or empties the file and writes the format's first line. False (message says why) when it
// cannot be written.
bool StartRecording(const std::string& path, std::string& message);
bool IsRecording();
// The game connection was made: the clock starts (on the first connection) and the profile's name (never
// its password) and the address are recorded.
void RecordConnectionMade(const std::string& host, int port);
// A block of received bytes, as handed to the protocol.
void RecordReceived(const std::uint8_t* bytes, std::size_t count);
// A line sent, without its line feed.
void RecordSent(std::string_view line);
// Closes the file.
void StopRecording();

// The line as the recording and _netlog.txt keep it: a login line ("connect " and anything) loses the name
// and password.
std::string MaskedSentLine(std::string_view line);
