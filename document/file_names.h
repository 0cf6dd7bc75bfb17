// File names of the document commands and the render to disk: the name a chosen file is written
// under, and the question before a file the dialog did not show is replaced.
#pragma once

#include <string>

// Where the extension of the path's file name starts (its last dot), or npos without one; a leading
// dot names a hidden file rather than starting an extension.
size_t ExtensionStart(const std::string& path);
// The path with extension (dot included) in place of its file name's own, or appended without one.
std::string WithExtension(const std::string& path, const char* extension);
// The file name without its folder and its extension.
std::string BareFileName(const std::string& path);

// True when no file has the path, or the user answers Yes to replacing it.
bool MayReplaceFile(const std::string& path);
