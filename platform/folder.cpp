#include "platform/folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/errors.h"
#include "platform/file.h"

namespace platform {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

bool EndsWithIgnoringCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), name.end() - std::ptrdiff_t(suffix.size()),
                    [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool ListFolder(const std::string& folder, const std::string& suffix, std::vector<std::string>* names) {
  names->clear();
  const std::string native = NativePath(folder);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return FailFromErrno();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (EndsWithIgnoringCase(name, suffix) && IsFile(native + "/" + name)) names->push_back(name);
  }
  ::closedir(dir);
  std::sort(names->begin(), names->end());
  return true;
}

bool GetCurrentFolder(std::string* folder) {
  std::string buffer(PATH_MAX + 1, '\0');
  if (!::getcwd(buffer.data(), buffer.size())) return FailFromErrno();
  folder->assign(buffer.c_str());
  return true;
}

bool SetCurrentFolder(const std::string& folder) {
  return ::chdir(NativePath(folder).c_str()) == 0 || FailFromErrno();
}

}  // namespace platform
