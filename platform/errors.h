// System error numbers. The program's result codes are mapped from the Windows error numbers it was
// designed against, so the platform reports every failure as one of those numbers.
#pragma once

#include <cstdint>

namespace platform {

enum WinError : int32_t {
  kWinSuccess = 0,
  kWinFileNotFound = 2,
  kWinPathNotFound = 3,
  kWinTooManyOpenFiles = 4,
  kWinAccessDenied = 5,
  kWinInvalidHandle = 6,
  kWinNotEnoughMemory = 8,
  kWinWriteProtect = 19,
  kWinGenFailure = 31,
  kWinSharingViolation = 32,
  kWinLockViolation = 33,
  kWinHandleEof = 38,
  kWinHandleDiskFull = 39,
  kWinNotSupported = 50,
  kWinFileExists = 80,
  kWinInvalidParameter = 87,
  kWinDiskFull = 112,
  kWinFilenameExcedRange = 206,
  kWinFileTooLarge = 223,  // past the process's file size limit
  kWinDirectory = 267,  // a folder where a file is expected
  kWinIoDevice = 1117,
};

// Maps an errno value to the Windows error number; anything unlisted becomes kWinGenFailure.
int32_t WinErrorFromErrno(int err);

// Per-thread last error, as every failing platform call leaves it.
int32_t GetLastError();
void SetLastError(int32_t winError);
// Sets the last error from errno and answers false, for the failure paths of file calls.
bool FailFromErrno();
// Whether a file call of this process failed because a file would have grown past the process's
// size limit (ulimit -f), which its result code (disk full) does not tell apart.
bool FileSizeLimitReached();

}  // namespace platform
