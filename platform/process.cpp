#include "platform/process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/errors.h"
#include "platform/file.h"
#include "platform/window.h"

extern char** environ;

namespace platform {
namespace {

std::vector<headless::SStartedProgram> gStarted;

bool IsStartable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// A session of its own, so that closing this program's terminal or group does not end it.
bool Spawn(const std::string& path) {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    posix_spawnattr_destroy(&attributes);
    return false;
  }
  const std::string folder = FolderOf(path);
  bool ready = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID) == 0 &&
               posix_spawn_file_actions_addchdir_np(&actions, folder.c_str()) == 0;
  pid_t child = 0;
  char* arguments[] = {const_cast<char*>(path.c_str()), nullptr};
  const int error = ready ? posix_spawn(&child, path.c_str(), &actions, &attributes, arguments, environ) : -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error > 0) SetLastError(WinErrorFromErrno(error));
  return error == 0;
}

}  // namespace

bool StartProgram(const std::string& path, int32_t show) {
  if (!IsHeadless()) return Spawn(NativePath(path));
  gStarted.push_back({path, show});
  return IsStartable(NativePath(path));
}

namespace headless {

const std::vector<SStartedProgram>& StartedPrograms() { return gStarted; }

}  // namespace headless
}  // namespace platform
