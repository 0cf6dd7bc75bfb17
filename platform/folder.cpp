#include "platform/folder.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

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

bool TrustedOwner(uid_t owner) { return owner == ::getuid() || owner == 0; }

// A group of the user's alone: the user's primary group, named as the user, with no one else listed
// in it. Such a group's write permission, which a umask of 002 gives every new file, lets no one else
// in.
bool PrivateGroup(gid_t group) {
  if (group != ::getgid()) return false;
  const passwd* user = ::getpwuid(::getuid());
  const std::string name = user && user->pw_name ? user->pw_name : "";
  const ::group* entry = ::getgrgid(group);
  if (name.empty() || !entry || !entry->gr_name || name != entry->gr_name) return false;
  for (char** member = entry->gr_mem; member && *member; ++member)
    if (name != *member) return false;
  return true;
}

bool OthersMayWrite(const struct stat& st) {
  return (st.st_mode & S_IWOTH) || ((st.st_mode & S_IWGRP) && !PrivateGroup(st.st_gid));
}

std::string KindProblem(const struct stat& st, bool isFolder) {
  if (isFolder && !S_ISDIR(st.st_mode)) return "it is not a folder";
  if (!isFolder && !S_ISREG(st.st_mode)) return "it is not a file";
  return {};
}

}  // namespace

std::string UntrustedCodeReason(const std::string& path, bool isFolder) {
  const std::string native = NativePath(path);
  struct stat own {};
  if (::lstat(native.c_str(), &own) != 0) return std::strerror(errno);
  if (!S_ISLNK(own.st_mode)) {
    if (!TrustedOwner(own.st_uid)) return "it belongs to another user";
    if (OthersMayWrite(own)) return "others may change it";
    return KindProblem(own, isFolder);
  }
  struct stat target {};
  if (::stat(native.c_str(), &target) != 0) return std::string("it is a link to nothing (") + std::strerror(errno) + ")";
  if (!TrustedOwner(target.st_uid)) return "it is a link to another user's file";
  if (OthersMayWrite(target)) return "it is a link to a file that others may change";
  return KindProblem(target, isFolder);
}

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
