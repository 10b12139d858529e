// Finds the complete player profiles of a folder: the files the profile chooser offers, in its order.
#pragma once

#include <string>
#include <vector>

struct ProfileEntry {
    std::string fileName;  // as listed, without the folder
    std::string name;      // the profile's "Name=" value
};

// Every "*.ini" file of the folder (a program path with backslashes; empty for the working directory),
// in name order ignoring letter case, except the host game's settings files, that LoadPlayerIni reads
// as complete. Each candidate is loaded into the process-wide PlayerProfile, so afterwards it holds the
// fields of the last usable file.
std::vector<ProfileEntry> FindProfiles(const std::string& folder = {});

// The file names of FindProfiles, in the same order.
std::vector<std::string> FindProfileFiles(const std::string& folder = {});

// True for the host game's settings files that share the extension and are never offered (compared
// exactly, letter case included).
bool IsExcludedProfileName(const std::string& fileName);
