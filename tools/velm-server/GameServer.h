// The stand-in game server: serves the demo world of a game directory to several clients at once over
// NetServer, with a transcript of every byte both ways and fault modes for tests.
#pragma once

#include <string>
#include <vector>

// velm-server game [options]; returns the process's exit status.
int RunGameServer(const std::vector<std::string>& args);
