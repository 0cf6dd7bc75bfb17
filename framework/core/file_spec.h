// A file's name as the program holds it: always a resolved full path of at most 4,095 characters,
// the longest path the system takes (PATH_MAX less its terminating zero).
#pragma once

#include <cstdint>

struct CFileSpec {
  static constexpr uint32_t kMaxPath = 4095;

  // Resolves path (relative to the current folder; '\' taken as '/'): 0, or 16 when it cannot be
  // resolved or is too long, which leaves the path empty. A null path resolves the empty text.
  int32_t Set(const char* path);
  int32_t Copy(const CFileSpec& other);
  // A unique name with prefix "tmp" in the temporary folder, or the name of a replacing write's
  // temporary beside `beside` (platform::MakeTempBeside), which refuses a folder there. Only the name
  // is reserved: the placeholder the platform creates is deleted again.
  static int32_t MakeTemp(CFileSpec& out);
  static int32_t MakeTempBeside(const CFileSpec& beside, CFileSpec& out);

  const char* GetPath() const { return fPath; }
  int32_t GetStatus() const { return fStatus; }

  // Callers' words: the save dialog puts the chosen filter's index in the first 16 bits.
  uint32_t fHeader[2] = {0, 0};
  char fPath[kMaxPath + 1] = {};
  int32_t fStatus = 0;
};
