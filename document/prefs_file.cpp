#include "document/prefs_file.h"

#include <cstring>

CPrefsFile::CPrefsFile(const char*) {}

int32_t CPrefsFile::GetMemoryPercent() const {
  int32_t percent = 0;
  std::memcpy(&percent, fBlock + kMemoryPercentOffset, sizeof percent);
  return percent;
}
