// Result codes: 0 for success, small positive numbers for framework failures, negative numbers for
// file-system failures. Codes travel upward unchanged until someone reports them.
#pragma once

#include <cstdint>
#include <string>

enum : int32_t {
  kNoErr = 0,
  kErrGeneric = 1,
  kErrInvalidFormat = 2,
  kErrIncorrectVersion = 3,
  kErrInvalidTag = 4,
  kErrInvalidKey = 5,
  kErrObjectNotFound = 6,
  kErrObjectDuplicated = 7,
  kErrDamagedData = 8,
  kErrOutOfMemory = 9,
  kErrCorruptedMemory = 10,
  kErrVirtualMemory = 11,
  kErrExpansion = 12,
  kErrFailedCreation = 13,
  kErrUnexpectedType = 14,
  kErrUnexpectedStatus = 15,
  kErrInvalidParameter = 16,
  kErrObjectInUse = 17,
  kErrObjectBusy = 18,
  kErrTooManyEntries = 19,
  kErrTooFewEntries = 20,
  kErrBufferSize = 21,
  kErrInvalidSize = 22,
  kErrInvalidNesting = 23,
  kSilentCode24 = 24,
  kSilentCode25 = 25,
  kHandled = 26,  // a command handler took the command
  kErrNotImplemented = 27,
  kErrDamagedComposite = 28,
  kErrCannotExpand = 29,
  kErrCompositeExpected = 100,
  kErrNoFragmentSystem = 110,
  kErrCanvasNoMemory = 120,
  kErrCanvasUpdate = 121,
  kErrDiskFull = -34,
  kErrIO = -36,
  kErrEndOfFile = -39,
  kErrFileNotFound = -43,
  kErrPermission = -54,
  kErrInvalidPath = -120,
};

// The code itself, or kErrGeneric for 0: a step that failed never reads as success.
constexpr int32_t NonZeroError(int32_t code) { return code ? code : kErrGeneric; }

int32_t MapSystemError(int32_t winError);
int32_t MapLastError();  // the calling thread's last platform error

// Codes 0, 24, 25 and 26 are never shown.
bool IsSilentCode(int32_t code);
// Index of the code's text in the "errors_" list: 0 (the generic "%d" text) for unknown codes,
// -1 for silent codes.
int32_t ErrorTextIndex(int32_t code);
// The built-in text at an index of the "errors_" list, for when the list or its entry is missing.
const char* BuiltInErrorText(int32_t index);
// The user's message for code from the built-in texts; empty for silent codes.
std::string BuiltInMessageFor(int32_t code);
