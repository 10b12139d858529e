// velm-tool fetch-dream ID [--profile FILE]: downloads one dream from the file server.
#pragma once

#include <string>
#include <vector>

// args: the words after "fetch-dream". Returns the process exit status.
int FetchDreamCommand(const std::vector<std::string>& args);
