#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "platform/errors.h"

namespace platform {
namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

bool BadHandle(FileHandle file) {
  if (file >= 0 && file <= INT_MAX) return false;
  SetLastError(kWinInvalidHandle);
  return true;
}

int OpenFlags(uint32_t access, FileCreate how) {
  int flags = O_CLOEXEC;
  if ((access & kAccessRead) && (access & kAccessWrite)) flags |= O_RDWR;
  else if (access & kAccessWrite) flags |= O_WRONLY;
  else flags |= O_RDONLY;
  switch (how) {
    case FileCreate::kOpenExisting: break;
    case FileCreate::kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case FileCreate::kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case FileCreate::kOpenAlways: flags |= O_CREAT; break;
  }
  return flags;
}

struct SFileTestHooks {
  int64_t freeSpace = -1;
  std::string deniedFolder;
  bool refuseAtomicExchange = false;
  uint32_t failingRename = 0;
  uint32_t writesLeft = 0;  // writes into watched files before the disk is full
  bool watching = false;
  bool full = false;
  std::set<int> watched;  // files opened since the failing write was set
  bool passing = false;   // the disk has room again after the failing write
};

SFileTestHooks gHooks;

bool InDeniedFolder(const std::string& native) {
  if (gHooks.deniedFolder.empty()) return false;
  std::string folder;
  return FullPath(FolderOf(native), &folder) && folder == gHooks.deniedFolder;
}

bool Creates(FileCreate how) { return how != FileCreate::kOpenExisting; }

// Sets the error of a step that failed, also after undo steps that left their own.
bool FailWith(int32_t error) {
  SetLastError(error);
  return false;
}

bool RenameFails() {
  if (gHooks.failingRename == 0) return false;
  if (--gHooks.failingRename != 0) return false;
  SetLastError(kWinAccessDenied);
  return true;
}

// A disk that fills up stays full: once the counted write has failed, every later one does too.
bool WriteFails(int fd) {
  if (!gHooks.watched.count(fd)) return false;
  if (!gHooks.full) {
    if (gHooks.writesLeft > 1) {
      --gHooks.writesLeft;
      return false;
    }
    gHooks.full = true;
  }
  if (gHooks.passing) {
    gHooks.watching = false;
    gHooks.watched.clear();
  }
  SetLastError(kWinDiskFull);
  return true;
}

}  // namespace

// Opened without waiting (a pipe's open would wait for a writer for good), anything but a plain file
// is refused, and the descriptor then waits on reads and writes as any file's does.
FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share, FileCreate how) {
  const std::string native = NativePath(path);
  if (Creates(how) && InDeniedFolder(native)) {
    SetLastError(kWinAccessDenied);
    return kNoFile;
  }
  const int fd = ::open(native.c_str(), OpenFlags(access, how) | O_NONBLOCK, 0666);
  if (fd < 0) {
    FailFromErrno();
    return kNoFile;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    SetLastError(kWinAccessDenied);
    return kNoFile;
  }
  const bool exclusive = (access & kAccessWrite) && !(share & kShareWrite);
  if (!LockFile(fd, exclusive)) {
    const int32_t error = GetLastError();
    ::close(fd);
    // A file created here is not ours to keep when we may not use it.
    if (how == FileCreate::kCreateNew) ::unlink(native.c_str());
    SetLastError(error);
    return kNoFile;
  }
  if (gHooks.watching) gHooks.watched.insert(fd);
  SetLastError(kWinSuccess);
  return fd;
}

bool LockFile(FileHandle file, bool exclusive) {
  if (BadHandle(file)) return false;
  while (flock(Fd(file), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return FailFromErrno();
  }
  return true;
}

bool CloseFile(FileHandle file) {
  if (BadHandle(file)) return false;
  gHooks.watched.erase(Fd(file));
  return ::close(Fd(file)) == 0 || FailFromErrno();
}

namespace {

// Reads until count bytes or the end of the file; offset < 0 reads at the file's position.
bool ReadLoop(FileHandle file, int64_t offset, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (BadHandle(file)) return false;
  auto* out = static_cast<char*>(buffer);
  while (*done < count) {
    const ssize_t n = offset < 0 ? ::read(Fd(file), out + *done, count - *done)
                                 : ::pread(Fd(file), out + *done, count - *done, offset + *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailFromErrno();
    }
    if (n == 0) break;
    *done += uint32_t(n);
  }
  return true;
}

bool WriteLoop(FileHandle file, int64_t offset, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (BadHandle(file)) return false;
  if (WriteFails(Fd(file))) return false;
  const auto* in = static_cast<const char*>(buffer);
  while (*done < count) {
    const ssize_t n = offset < 0 ? ::write(Fd(file), in + *done, count - *done)
                                 : ::pwrite(Fd(file), in + *done, count - *done, offset + *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailFromErrno();
    }
    *done += uint32_t(n);
  }
  return true;
}

}  // namespace

bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
  return ReadLoop(file, -1, buffer, count, done);
}

bool WriteFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
  return WriteLoop(file, -1, buffer, count, done);
}

bool ReadFileAt(FileHandle file, int64_t offset, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (offset < 0) return FailWith(kWinInvalidParameter);
  return ReadLoop(file, offset, buffer, count, done);
}

bool WriteFileAt(FileHandle file, int64_t offset, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  if (offset < 0) return FailWith(kWinInvalidParameter);
  return WriteLoop(file, offset, buffer, count, done);
}

bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin, int64_t* position) {
  if (BadHandle(file)) return false;
  const int whence = origin == kSeekStart ? SEEK_SET : origin == kSeekCurrent ? SEEK_CUR : SEEK_END;
  const off_t at = ::lseek(Fd(file), offset, whence);
  if (at < 0) return FailFromErrno();
  if (position) *position = at;
  return true;
}

bool GetFileSize(FileHandle file, int64_t* size) {
  if (BadHandle(file)) return false;
  struct stat st {};
  if (fstat(Fd(file), &st) != 0) return FailFromErrno();
  *size = st.st_size;
  return true;
}

bool SetFileSize(FileHandle file, int64_t size) {
  if (BadHandle(file)) return false;
  if (size < 0) {
    SetLastError(kWinInvalidParameter);
    return false;
  }
  if (::ftruncate(Fd(file), size) != 0) return FailFromErrno();
  return ::lseek(Fd(file), size, SEEK_SET) >= 0 || FailFromErrno();
}

bool FlushFile(FileHandle file) {
  if (BadHandle(file)) return false;
  return ::fsync(Fd(file)) == 0 || FailFromErrno();
}

void StartWriteback(FileHandle file, int64_t offset, int64_t count) {
  if (file < 0 || file > INT_MAX || offset < 0 || count <= 0) return;
  ::sync_file_range(Fd(file), offset, count, SYNC_FILE_RANGE_WRITE);
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  if (IsFolder(path)) return FailWith(kWinDirectory);
  const FileHandle file = OpenFile(path, kAccessRead, kShareRead, FileCreate::kOpenExisting);
  if (file == kNoFile) return false;
  char buffer[64 * 1024];
  uint32_t done = 0;
  bool read = true;
  while ((read = ReadFile(file, buffer, sizeof buffer, &done)) && done > 0) bytes->append(buffer, done);
  const int32_t error = GetLastError();
  CloseFile(file);
  return read || FailWith(error);
}

bool GetLastWriteTime(FileHandle file, int64_t* ns) {
  if (BadHandle(file)) return false;
  struct stat st {};
  if (fstat(Fd(file), &st) != 0) return FailFromErrno();
  *ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool SetLastWriteTime(FileHandle file, int64_t ns) {
  if (BadHandle(file)) return false;
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time_t(ns / 1000000000);
  times[1].tv_nsec = long(ns % 1000000000);
  return ::futimens(Fd(file), times) == 0 || FailFromErrno();
}

bool DeleteFile(const std::string& path) {
  const std::string native = NativePath(path);
  if (EntryKindOf(native) == EntryKind::kLink) return ::unlink(native.c_str()) == 0 || FailFromErrno();
  if (IsFolder(native)) {
    SetLastError(kWinAccessDenied);
    return false;
  }
  // A file we may not read cannot be locked; it is deleted as Windows would, unchecked.
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 && errno == ENOENT) return FailFromErrno();
  if (fd >= 0 && !LockFile(fd, true)) {
    ::close(fd);
    return false;
  }
  const bool deleted = ::unlink(native.c_str()) == 0 || FailFromErrno();
  if (fd >= 0) ::close(fd);
  return deleted;
}

bool RenameFile(const std::string& from, const std::string& to) {
  if (RenameFails()) return false;
  const std::string src = NativePath(from);
  const std::string dst = NativePath(to);
  // link + unlink refuses an existing target atomically, as a move must.
  if (::link(src.c_str(), dst.c_str()) == 0) return ::unlink(src.c_str()) == 0 || FailFromErrno();
  if (errno == EEXIST) return FailFromErrno();
  if (PathExists(dst)) {
    SetLastError(kWinFileExists);
    return false;
  }
  return ::rename(src.c_str(), dst.c_str()) == 0 || FailFromErrno();
}

bool ReplaceTargetOf(const std::string& path, std::string* file) {
  constexpr int kMaxLinks = 40;  // the kernel's own bound on a chain of links
  std::string at = NativePath(path);
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0) {
      if (errno != ENOENT) return FailFromErrno();
      *file = at;
      return true;
    }
    if (S_ISREG(st.st_mode)) {
      *file = at;
      return true;
    }
    if (S_ISDIR(st.st_mode)) return FailWith(kWinDirectory);
    if (!S_ISLNK(st.st_mode)) return FailWith(kWinAccessDenied);
    std::vector<char> link(PATH_MAX + 1);
    const ssize_t n = ::readlink(at.c_str(), link.data(), link.size() - 1);
    if (n < 0) return FailFromErrno();
    const std::string next(link.data(), size_t(n));
    at = next[0] == '/' ? next : FolderOf(at) + "/" + next;
  }
  return FailWith(kWinInvalidParameter);
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  if (RenameFails()) return false;
  std::string file;
  if (!ReplaceTargetOf(to, &file)) return false;
  const std::string source = NativePath(from);
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && ::chmod(source.c_str(), st.st_mode & 0777) != 0) return FailFromErrno();
  return ::rename(source.c_str(), file.c_str()) == 0 || FailFromErrno();
}

namespace {

bool ExchangeByRenames(const std::string& a, const std::string& b) {
  std::string parked;
  if (!MakeUniqueFile(FolderOf(a), "tmp", &parked)) return false;
  ::unlink(parked.c_str());
  if (!RenameFile(a, parked)) return false;
  if (!RenameFile(b, a)) {
    const int32_t error = GetLastError();
    RenameFile(parked, a);
    return FailWith(error);
  }
  if (!RenameFile(parked, b)) {
    const int32_t error = GetLastError();
    RenameFile(a, b);
    RenameFile(parked, a);
    return FailWith(error);
  }
  return true;
}

}  // namespace

bool ExchangeFiles(const std::string& a, const std::string& b) {
  // Both sides are files, as a replacing write finds them: swapping a folder would move it away
  // under its name, and swapping a link would move the link rather than its file.
  std::string first, second;
  if (!ReplaceTargetOf(a, &first) || !ReplaceTargetOf(b, &second)) return false;
  return ExchangeEntries(first, second);
}

bool ExchangeEntries(const std::string& a, const std::string& b) {
  const std::string first = NativePath(a), second = NativePath(b);
  if (!gHooks.refuseAtomicExchange) {
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0) return true;
    // Only a file system without the exchange falls back; any other failure is the answer.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return FailFromErrno();
  }
  return ExchangeByRenames(first, second);
}

EntryKind EntryKindOf(const std::string& path) {
  struct stat st {};
  if (::lstat(NativePath(path).c_str(), &st) != 0) return EntryKind::kNone;
  if (S_ISREG(st.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  if (S_ISLNK(st.st_mode)) return EntryKind::kLink;
  return EntryKind::kOther;
}

bool GetPathWriteTime(const std::string& path, int64_t* ns) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return FailFromErrno();
  *ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool SetPathWriteTime(const std::string& path, int64_t ns) {
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time_t(ns / 1000000000);
  times[1].tv_nsec = long(ns % 1000000000);
  return ::utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0) == 0 || FailFromErrno();
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string TempFolderReason() {
  const std::string folder = TempFolder();
  if (!PathExists(folder)) return "it does not exist";
  if (!IsFolder(folder)) return "it is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::string("it is not writable (") + std::strerror(errno) + ")";
  return "";
}

std::string NotPlainFileReason(const std::string& path) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0 || S_ISREG(st.st_mode)) return "";
  return S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a plain file";
}

bool CreateFolder(const std::string& path) {
  return ::mkdir(NativePath(path).c_str(), 0777) == 0 || FailFromErrno();
}

bool IsReadOnlyPath(const std::string& path, bool* readOnly) {
  struct stat st {};
  if (::stat(NativePath(path).c_str(), &st) != 0) return FailFromErrno();
  *readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return true;
}

bool GetFreeSpace(const std::string& path, uint64_t* bytes) {
  if (gHooks.freeSpace >= 0) {
    *bytes = uint64_t(gHooks.freeSpace);
    return true;
  }
  struct statvfs vs {};
  // A path that exists (a swap file growing) answers for its volume at once.
  if (::statvfs(NativePath(path).c_str(), &vs) != 0) {
    std::string folder;
    if (!FullPath(path, &folder)) return false;
    while (!IsFolder(folder) && folder != "/") folder = FolderOf(folder);
    if (::statvfs(folder.c_str(), &vs) != 0) return FailFromErrno();
  }
  *bytes = uint64_t(vs.f_bavail) * vs.f_frsize;
  return true;
}

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

bool FullPath(const std::string& path, std::string* full) {
  std::string native = NativePath(path);
  if (native.empty() || native[0] != '/') {
    std::vector<char> cwd(PATH_MAX + 1);
    if (!::getcwd(cwd.data(), cwd.size())) return FailFromErrno();
    native = std::string(cwd.data()) + "/" + native;
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= native.size()) {
    size_t end = native.find('/', start);
    if (end == std::string::npos) end = native.size();
    const std::string part = native.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  full->clear();
  for (const std::string& part : parts) *full += "/" + part;
  if (full->empty()) full->assign(1, '/');
  // A trailing separator names a folder; keep it so callers can tell.
  if (native.size() > 1 && native.back() == '/' && full->back() != '/') *full += '/';
  return true;
}

std::string FolderOf(const std::string& path) {
  const std::string native = NativePath(path);
  const size_t slash = native.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return native.substr(0, slash);
}

std::string TempFolder() {
  const char* dir = ::getenv("TMPDIR");
  return (dir && *dir) ? std::string(dir) : std::string("/tmp");
}

namespace {

// Creates the first free name that nextName gives as an empty file of that mode; a name taken
// meanwhile by another process is passed over.
bool CreateFirstFree(const std::function<std::string()>& nextName, mode_t mode, std::string* path) {
  for (int attempt = 0; attempt < 65536; ++attempt) {
    const std::string candidate = nextName();
    const int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0) {
      ::close(fd);
      *path = candidate;
      SetLastError(kWinSuccess);
      return true;
    }
    if (errno != EEXIST) return FailFromErrno();
  }
  return FailWith(kWinFileExists);
}

}  // namespace

bool MakeUniqueFile(const std::string& folder, const std::string& prefix, std::string* path,
                    const std::string& suffix) {
  static std::atomic<uint32_t> counter{0};
  const std::string base = NativePath(folder);
  const std::string dir = (!base.empty() && base.back() == '/') ? base : base + "/";
  if (InDeniedFolder(dir + prefix)) {
    SetLastError(kWinAccessDenied);
    return false;
  }
  return CreateFirstFree(
      [&] {
        char number[16];
        std::snprintf(number, sizeof number, "%X%X", unsigned(::getpid()) & 0xFFFF, unsigned(++counter) & 0xFFFF);
        return dir + prefix + number + suffix;
      },
      0666, path);
}

namespace {

bool IsDecimal(const std::string& s) {
  return !s.empty() && s.size() < 10 && s.find_first_not_of("0123456789") == std::string::npos;
}

bool ProcessRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// The process that made a temporary "<prefix><pid>.<n><suffix>", or 0 for a name of another shape.
pid_t ProcessOfTemporary(const std::string& name, const std::string& prefix, const std::string& suffix) {
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix)) return 0;
  const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  const size_t dot = middle.find('.');
  if (dot == std::string::npos || !IsDecimal(middle.substr(0, dot)) || !IsDecimal(middle.substr(dot + 1))) return 0;
  return pid_t(std::stol(middle.substr(0, dot)));
}

// This user's temporaries of the prefix in folder whose process is gone, as a write killed midway
// leaves them; DeleteFile keeps any that a process still holds locked.
void RemoveLeftTemporaries(const std::string& folder, const std::string& prefix, const std::string& suffix) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> left;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = ProcessOfTemporary(entry->d_name, prefix, suffix);
    if (pid <= 0 || pid == ::getpid() || ProcessRuns(pid)) continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()) left.push_back(path);
  }
  ::closedir(dir);
  for (const std::string& path : left) DeleteFile(path);
}

}  // namespace

bool MakeTempBeside(const std::string& target, std::string* path, const std::string& suffix) {
  // Long enough to recognise, short enough to leave room in the paths the program keeps.
  constexpr size_t kNameBytes = 48;
  static std::atomic<uint32_t> counter{0};
  std::string file;
  if (!ReplaceTargetOf(target, &file)) return false;
  const std::string folder = FolderOf(file);
  const std::string name = file.substr(file.rfind('/') + 1).substr(0, kNameBytes);
  const std::string prefix = "." + name + "." + ProgramName().substr(0, kNameBytes / 2) + "-";
  if (InDeniedFolder(folder + "/" + prefix)) return FailWith(kWinAccessDenied);
  RemoveLeftTemporaries(folder, prefix, suffix);
  const std::string stem = folder + "/" + prefix + std::to_string(::getpid()) + ".";
  return CreateFirstFree([&] { return stem + std::to_string(++counter) + suffix; }, 0666, path);
}

namespace {

// "<name>.<pid>.<n><suffix>": the pid, or 0 when the file name has another shape.
pid_t ProcessOfFile(const std::string& name, const std::string& suffix) {
  if (name.size() <= suffix.size() || !name.ends_with(suffix)) return 0;
  const std::string stem = name.substr(0, name.size() - suffix.size());
  const size_t last = stem.rfind('.');
  if (last == std::string::npos || last == 0) return 0;
  const size_t before = stem.rfind('.', last - 1);
  if (before == std::string::npos || before == 0) return 0;
  const std::string pid = stem.substr(before + 1, last - before - 1);
  const std::string n = stem.substr(last + 1);
  return IsDecimal(pid) && IsDecimal(n) ? pid_t(std::stol(pid)) : 0;
}

}  // namespace

bool MakeProcessFile(const std::string& folder, const std::string& suffix, std::string* path) {
  static std::atomic<uint32_t> counter{0};
  const std::string stem = NativePath(folder) + "/" + ProgramName() + "." + std::to_string(::getpid()) + ".";
  return CreateFirstFree([&] { return stem + std::to_string(++counter) + suffix; }, 0600, path);
}

uint32_t RemoveLeftProcessFiles(const std::string& folder, const std::string& suffix) {
  DIR* dir = ::opendir(NativePath(folder).c_str());
  if (!dir) return 0;
  std::vector<std::string> left;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t pid = ProcessOfFile(entry->d_name, suffix);
    if (pid <= 0 || ProcessRuns(pid)) continue;
    const std::string path = NativePath(folder) + "/" + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()) left.push_back(path);
  }
  ::closedir(dir);
  uint32_t removed = 0;
  // DeleteFile refuses a file that any process holds locked.
  for (const std::string& path : left) removed += DeleteFile(path) ? 1 : 0;
  return removed;
}

std::string ProgramPath() {
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  return n > 0 ? std::string(buf.data(), size_t(n)) : std::string();
}

std::string ProgramFolder() { return FolderOf(ProgramPath()); }

std::string ProgramName() {
  const std::string path = ProgramPath();
  return path.empty() ? std::string("quarn2") : path.substr(path.rfind('/') + 1);
}

void SetTestFreeSpace(int64_t bytes) { gHooks.freeSpace = bytes < 0 ? -1 : bytes; }

void SetTestDeniedFolder(const std::string& folder) {
  gHooks.deniedFolder.clear();
  if (folder.empty() || !FullPath(folder, &gHooks.deniedFolder)) return;
  if (gHooks.deniedFolder.size() > 1 && gHooks.deniedFolder.back() == '/') gHooks.deniedFolder.pop_back();
}

void SetTestRefuseAtomicExchange(bool refuse) { gHooks.refuseAtomicExchange = refuse; }

void SetTestFailingRename(uint32_t n) { gHooks.failingRename = n; }

void SetTestFailingWrite(uint32_t n) {
  gHooks.writesLeft = n;
  gHooks.watching = n != 0;
  gHooks.full = false;
  gHooks.watched.clear();
  gHooks.passing = false;
}

void SetTestFailingWriteOnce(uint32_t n) {
  SetTestFailingWrite(n);
  gHooks.passing = n != 0;
}

void ResetFileTestHooks() { gHooks = SFileTestHooks{}; }

}  // namespace platform
