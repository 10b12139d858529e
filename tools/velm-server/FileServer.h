// The stand-in file server: serves the files of a folder by id with the download exchange (welcome,
// request, reply, numbered blocks sent ahead up to a window, acknowledgements checked, "BYE"), with
// fault modes that tests use to provoke every failure of the client's side.
#pragma once

#include <string>
#include <vector>

// velm-server file [options]; returns the process's exit status.
int RunFileServer(const std::vector<std::string>& args);
