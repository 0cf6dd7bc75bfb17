#include "platform/library.h"

#include <dlfcn.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file.h"

namespace platform {

struct SLibrary {
  void* handle = nullptr;
  std::vector<void*> dependencies;  // in load order
};

namespace {

thread_local std::string gFailure;

// The loader's message, without "PATH: " in front.
std::string Reason(const char* message, const std::string& path) {
  if (!message) return {};
  std::string text = message;
  const std::string prefix = path + ": ";
  if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
  return text;
}

// A dependency chain longer than this is taken as a loop.
constexpr int kMaxDependencies = 32;
constexpr const char kMissingSuffix[] = ": cannot open shared object file";

// The name the dynamic loader could not find, from its message "NAME: cannot open shared object
// file: ..."; empty for any other failure.
std::string MissingDependency(const char* message) {
  if (!message) return {};
  const std::string text = message;
  const size_t at = text.find(kMissingSuffix);
  if (at == std::string::npos || at == 0) return {};
  const std::string name = text.substr(0, at);
  return name.find('/') == std::string::npos ? name : std::string();
}

// Opens path, first loading from folder each dependency that the loader reports missing and that
// lies there (with a folder given). The loader then finds it among the loaded objects by its
// shared-object name.
void* OpenFromFolder(const std::string& path, const std::string& folder, SLibrary& library, int& budget) {
  while (budget > 0) {
    dlerror();
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    const char* message = dlerror();
    gFailure = Reason(message, path);
    if (folder.empty()) return nullptr;
    const std::string missing = MissingDependency(message);
    const std::string candidate = folder + "/" + missing;
    if (missing.empty() || !PathExists(candidate) || candidate == path) return nullptr;
    --budget;
    void* dependency = OpenFromFolder(candidate, folder, library, budget);
    if (!dependency) return nullptr;
    library.dependencies.push_back(dependency);
  }
  return nullptr;
}

void CloseDependencies(SLibrary& library) {
  for (auto it = library.dependencies.rbegin(); it != library.dependencies.rend(); ++it) dlclose(*it);
  library.dependencies.clear();
}

}  // namespace

std::string LibraryFileName(const std::string& path) {
  std::string native = NativePath(path);
  constexpr const char kDll[] = ".dll";
  const size_t n = sizeof kDll - 1;
  if (native.size() >= n) {
    std::string ending = native.substr(native.size() - n);
    for (char& c : ending) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (ending == kDll) native.replace(native.size() - n, n, ".so");
  }
  return native;
}

LibraryHandle LoadLibrary(const std::string& path, DependencySearch search) {
  std::string file = LibraryFileName(path);
  // A bare name would send the loader through the system's search path.
  if (file.find('/') == std::string::npos) file = "./" + file;
  if (!PathExists(file)) {
    gFailure = "it does not exist";
    SetLastError(kWinFileNotFound);
    return nullptr;
  }
  auto* library = new SLibrary;
  int budget = kMaxDependencies;
  const std::string folder = search == DependencySearch::kOwnFolderFirst ? FolderOf(file) : std::string();
  library->handle = OpenFromFolder(file, folder, *library, budget);
  if (!library->handle) {
    CloseDependencies(*library);
    delete library;
    SetLastError(kWinGenFailure);
    return nullptr;
  }
  return library;
}

void* FindLibraryEntry(LibraryHandle library, const char* name) {
  if (!library || !name) return nullptr;
  dlerror();
  return dlsym(library->handle, name);
}

std::string LibraryFailure() { return gFailure; }

bool FreeLibrary(LibraryHandle library) {
  if (!library) {
    SetLastError(kWinInvalidHandle);
    return false;
  }
  const bool closed = dlclose(library->handle) == 0;
  CloseDependencies(*library);
  delete library;
  if (!closed) SetLastError(kWinGenFailure);
  return closed;
}

}  // namespace platform
