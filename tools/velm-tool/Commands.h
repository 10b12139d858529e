// The inspector's subcommands. Each takes the words after its name, prints to stdout and returns the
// process exit status: 0 done, 1 the data could not be read (the reason is in _error.txt), 2 bad usage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The readers report an unusable file only in _error.txt; a command compares the log's size around the
// read to tell. Bytes in _error.txt now.
std::uintmax_t ErrorLogSize();

int ProfileCommand(const std::vector<std::string>& args);
int ProfilesCommand(const std::vector<std::string>& args);
int PcxCommand(const std::vector<std::string>& args);
int ColorsCommand(const std::vector<std::string>& args);
int SpkCommand(const std::vector<std::string>& args);
int MapCommand(const std::vector<std::string>& args);
int Base95Command(const std::vector<std::string>& args);
int AvatarCommand(const std::vector<std::string>& args);
