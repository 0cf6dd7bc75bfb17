// Folder listings, the trust in what a folder holds, and the current folder.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The names (without the folder) of the files in folder whose names end in suffix, compared without
// regard to ASCII case as the system the program was designed for matched patterns, in byte-wise
// order so that every run takes them alike. Sub-folders are not listed. False with the error when
// the folder cannot be read.
bool ListFolder(const std::string& folder, const std::string& suffix, std::vector<std::string>* names);

// Code is loaded only from what no one but the user could have put in place. Why the folder (with
// isFolder) or file at path is not such a one, as a clause ("it belongs to another user"), or empty
// when it is: refused are a link to a file or folder of another user, a file or folder of another
// user, and one that everyone, or a group with others in it, may change. The system's administrator,
// who owns installed programs, counts as the user. Names pass through NativePath.
std::string UntrustedCodeReason(const std::string& path, bool isFolder);

bool GetCurrentFolder(std::string* folder);
bool SetCurrentFolder(const std::string& folder);

// The user's home folder: $HOME, else the user database's entry, else "/".
std::string HomeFolder();

}  // namespace platform
