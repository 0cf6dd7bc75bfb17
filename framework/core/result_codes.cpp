#include "framework/core/result_codes.h"

#include "framework/core/format_text.h"
#include "platform/errors.h"

namespace {

struct SCodeText {
  int32_t code;
  int32_t index;
  const char* text;
};

constexpr const char* kGenericText = "An unexpected error (code %d) has occurred.";

constexpr SCodeText kCodes[] = {
    {1, 1, "An unexpected error has occurred (generic failure)."},
    {2, 9, "An unexpected error has occurred (invalid format)."},
    {3, 10, "An unexpected error has occurred (incorrect version)."},
    {4, 11, "An unexpected error has occurred (invalid tagcode)."},
    {5, 12, "An unexpected error has occurred (invalid keycode)."},
    {6, 13, "An unexpected error has occurred (object not found)."},
    {7, 14, "An unexpected error has occurred (object duplicated)."},
    {8, 15, "An unexpected error has occurred (damaged/invalid data)."},
    {9, 16, "An unexpected error has occurred (out of memory)."},
    {10, 17, "An unexpected error has occurred (corrupted memory)."},
    {11, 18, "An unexpected error has occurred (virtual memory)."},
    {12, 19, "An unexpected error has occurred (expansion error)."},
    {13, 20, "An unexpected error has occurred (failed creation)."},
    {14, 21, "An unexpected error has occurred (unexpected type)."},
    {15, 22, "An unexpected error has occurred (unexpected status)."},
    {16, 23, "An unexpected error has occurred (invalid parameter)."},
    {17, 24, "An unexpected error has occurred (object in use)."},
    {18, 25, "An unexpected error has occurred (object busy)."},
    {19, 26, "An unexpected error has occurred (too many entries)."},
    {20, 27, "An unexpected error has occurred (too few entries)."},
    {21, 28, "An unexpected error has occurred (buffer size error)."},
    {22, 29, "An unexpected error has occurred (invalid size)."},
    {23, 30, "An unexpected error has occurred (invalid nesting)."},
    {27, 31, "This feature has not yet been implemented."},
    {28, 32, "A file error has occurred (damaged composite file)."},
    {29, 33, "An unexpected error has occurred (impossible to expand)."},
    {100, 34, "A file error has occurred (composite file expected)."},
    {110, 35, "Unable to link ordax code fragments (no default system)."},
    {120, 36, "There was not enough memory to fully update the canvas."},
    {121, 37, "An unexpected error occurred while updating the canvas."},
    {-34, 6, "A disk error has occurred (disk full)."},
    {-36, 2, "A file error has occurred (i/o, bad media)."},
    {-39, 3, "A file error has occurred (unexpected end-of-file)."},
    {-43, 4, "A file error has occurred (file not found)."},
    {-54, 8, "An unexpected error has occurred (permission error)."},
    {-120, 7, "An error has occurred (invalid path/directory)."},
};

}  // namespace

int32_t MapSystemError(int32_t winError) {
  switch (winError) {
    case 0: return kNoErr;
    case 2:
    case 3: return kErrFileNotFound;
    case 4: return kErrTooManyEntries;
    case 5:
    case 19:
    case 32:
    case 33:
    case 110: return kErrPermission;
    case 6:
    case 7:
    case 9:
    case 12:
    case 13: return kErrCorruptedMemory;
    case 8:
    case 14: return kErrOutOfMemory;
    case 15:
    case 123:
    case 161:
    case 206:
    case 267: return kErrInvalidPath;
    case 29:
    case 30:
    case 1117:
    case 1127: return kErrIO;
    case 38: return kErrEndOfFile;
    case 39:
    case 112:
    case 223: return kErrDiskFull;  // a file size limit leaves no more room, as a full disk does
    case 80: return kErrObjectInUse;
    case 87: return kErrInvalidParameter;
    case 170: return kErrObjectBusy;
    case 183: return kErrObjectDuplicated;
    default: return kErrGeneric;
  }
}

int32_t MapLastError() { return MapSystemError(platform::GetLastError()); }

bool IsSilentCode(int32_t code) {
  return code == kNoErr || code == kSilentCode24 || code == kSilentCode25 || code == kHandled;
}

int32_t ErrorTextIndex(int32_t code) {
  if (IsSilentCode(code)) return -1;
  for (const SCodeText& entry : kCodes) {
    if (entry.code == code) return entry.index;
  }
  return 0;
}

const char* BuiltInErrorText(int32_t index) {
  if (index == 0) return kGenericText;
  for (const SCodeText& entry : kCodes) {
    if (entry.index == index) return entry.text;
  }
  return kGenericText;
}

std::string BuiltInMessageFor(int32_t code) {
  const int32_t index = ErrorTextIndex(code);
  if (index < 0) return {};
  return FormatText(BuiltInErrorText(index), code);
}
