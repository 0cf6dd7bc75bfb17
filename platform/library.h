// Libraries loaded at run time (code fragments, plug-ins). Stored names are those of the system the
// program was designed for: a name ending ".dll" is looked up as ".so", and '\' is taken as '/'.
#pragma once

#include <string>

namespace platform {

struct SLibrary;
using LibraryHandle = SLibrary*;

// The file a stored library name stands for.
std::string LibraryFileName(const std::string& path);

// Opens the library. Dependencies it names that lie in its own folder are loaded from there, as the
// system the program was designed for searched a library's folder first. Null on failure, with
// GetLastError() 2 when the file is missing and kWinGenFailure when it exists but does not load (the
// loader gives no finer reason).
LibraryHandle LoadLibrary(const std::string& path);
// Null when the library does not export the name.
void* FindLibraryEntry(LibraryHandle library, const char* name);
// Closes the library and the dependencies loaded for it.
bool FreeLibrary(LibraryHandle library);

}  // namespace platform
