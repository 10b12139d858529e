// Small free functions on characters, bits, files, paths and word lists, used across the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool IsLetter(int c);     // ASCII A-Z, a-z
bool IsPrintable(int c);  // codes 32 to 126

// Bytes in the file; 0 when it cannot be opened.
long GetFileSize(const std::string& path);

int CountBits(std::uint32_t x);
int HighestBit(std::uint32_t x);  // 0-31, -1 for 0

// Creates every folder named by the text before each backslash, in order; errors are ignored.
void CreateFoldersOfPath(const std::string& path);

std::string DirectoryOf(const std::string& path);  // up to and including the last backslash
std::string ExtensionOf(const std::string& name);  // after the last '.'

// Runs of non-delimiters that are followed by a delimiter; text after the last delimiter is not taken.
void SplitWords(const std::string& text, const std::string& delimiters, std::vector<std::string>& words);

// Appends each white-space separated word of the file.
void LoadStringList(std::vector<std::string>& list, const std::string& path);

// The documents folder with name appended, both created; "userdata\" when there is no documents folder.
std::string GetUserDataFolder(const std::string& name);
