#include "platform/errors.h"

#include <atomic>
#include <cerrno>

namespace platform {
namespace {

thread_local int32_t tLastError = kWinSuccess;
std::atomic<bool> gSizeLimitReached{false};

}  // namespace

int32_t WinErrorFromErrno(int err) {
  switch (err) {
    case 0: return kWinSuccess;
    case ENOENT: return kWinFileNotFound;
    case ENOTDIR: return kWinPathNotFound;
    case EMFILE:
    case ENFILE: return kWinTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR: return kWinAccessDenied;
    case EBADF: return kWinInvalidHandle;
    case ENOMEM: return kWinNotEnoughMemory;
    case EROFS: return kWinWriteProtect;
    case EWOULDBLOCK: return kWinSharingViolation;  // an advisory lock held elsewhere
    case EEXIST: return kWinFileExists;
    case EINVAL: return kWinInvalidParameter;
    case ENOSPC:
    case EDQUOT: return kWinDiskFull;
    case EFBIG: return kWinFileTooLarge;
    case ENAMETOOLONG: return kWinFilenameExcedRange;
    case EIO: return kWinIoDevice;
    default: return kWinGenFailure;
  }
}

int32_t GetLastError() { return tLastError; }

void SetLastError(int32_t winError) { tLastError = winError; }

bool FailFromErrno() {
  if (errno == EFBIG) gSizeLimitReached = true;
  tLastError = WinErrorFromErrno(errno);
  return false;
}

bool FileSizeLimitReached() { return gSizeLimitReached; }

}  // namespace platform
