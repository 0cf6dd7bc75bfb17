#include <sys/stat.h>

#include "platform/errors.h"
#include "platform/file.h"

namespace platform {

bool SetFileMode(const std::string& path, uint32_t mode) {
  return ::chmod(NativePath(path).c_str(), mode_t(mode & 07777)) == 0 || FailFromErrno();
}

}  // namespace platform
