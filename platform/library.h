// Libraries loaded at run time (code fragments, plug-ins). Stored names are those of the system the
// program was designed for: a name ending ".dll" is looked up as ".so", and '\' is taken as '/'.
#pragma once

#include <string>

namespace platform {

struct SLibrary;
using LibraryHandle = SLibrary*;

// The file a stored library name stands for.
std::string LibraryFileName(const std::string& path);

// Where the libraries that a library needs are looked for: first in its own folder, as the system the
// program was designed for searched, or only where the system's loader looks.
enum class DependencySearch { kOwnFolderFirst, kSystemOnly };

// Opens the library. Null on failure, with GetLastError() 2 when the file is missing and
// kWinGenFailure when it exists but does not load; LibraryFailure then says why.
LibraryHandle LoadLibrary(const std::string& path, DependencySearch search = DependencySearch::kOwnFolderFirst);
// The loader's reason for the calling thread's last failed LoadLibrary, without the library's own
// path in front ("file too short", "libz.so.1: cannot open shared object file: ...").
std::string LibraryFailure();
// Null when the library does not export the name.
void* FindLibraryEntry(LibraryHandle library, const char* name);
// Closes the library and the dependencies loaded for it.
bool FreeLibrary(LibraryHandle library);

}  // namespace platform
