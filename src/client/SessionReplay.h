// Plays a session recording back without a server: its received blocks reach the protocol's entry point
// at their recorded times (faster or slower by the speed factor), as the network path hands them over.
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "client/SessionRecording.h"

// The fastest and slowest speed factors accepted.
constexpr double kMinReplaySpeed = 0.01;
constexpr double kMaxReplaySpeed = 1000.0;

// Starts replaying; the clock stands at 0 until the first AdvanceReplay.
void StartReplay(Recording recording, double speed);
bool IsReplaying();
// Moves the replay clock on by the frame's seconds times the speed and hands every block now due to the
// protocol, one batch per recorded block, each copied to _netlog.txt as the network path copies it.
void AdvanceReplay(float seconds);
// Every entry was played.
bool ReplayFinished();
// The chat's opening texts, one per chat addition, as the session showed them for its connection; none
// without one.
std::vector<std::string> ReplayConnectionTexts();
// What the input line shows: that this is a replay, whose, at what speed, and when it has ended.
std::string ReplayStatusText();
