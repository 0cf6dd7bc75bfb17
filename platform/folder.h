// Folder listings and the current folder.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The names (without the folder) of the files in folder whose names end in suffix, compared without
// regard to ASCII case as the system the program was designed for matched patterns, in byte-wise
// order so that every run takes them alike. Sub-folders are not listed. False with the error when
// the folder cannot be read.
bool ListFolder(const std::string& folder, const std::string& suffix, std::vector<std::string>* names);

bool GetCurrentFolder(std::string* folder);
bool SetCurrentFolder(const std::string& folder);

// The user's home folder: $HOME, else the user database's entry, else "/".
std::string HomeFolder();

}  // namespace platform
