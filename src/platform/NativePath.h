// Turns the program's backslash paths ("data\velm_ip.txt") into native ones. Every file access goes
// through here so that a game directory copied from Windows, with its own letter case, still works.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Backslashes become '/'; each component that names something existing is matched case-insensitively
// (an exact match wins). Components that do not exist keep the case given, so new files take it.
std::string NativePath(std::string_view path);

// fopen of NativePath(path). Returns nullptr for a null or empty path.
std::FILE* OpenFile(std::string_view path, const char* mode);

// Creates one folder (not its parents). True when it exists afterwards.
bool MakeFolder(std::string_view path);

// The user's documents folder: $XDG_DOCUMENTS_DIR, else $HOME/Documents. Empty when neither is known.
std::string DocumentsFolder();
