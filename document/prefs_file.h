// The preferences file "Quarn2 Prefs": one raw block of 2772 bytes in the current folder.
//
// Placeholder until the scene documents' issue: the file is not read, so the block stays zero and
// IsRead answers false, which makes every user take its defaults.
#pragma once

#include <cstdint>

class CPrefsFile {
 public:
  static constexpr const char* kFileName = "Quarn2 Prefs";
  static constexpr uint32_t kBlockBytes = 2772;
  static constexpr uint32_t kMemoryPercentOffset = 12;

  explicit CPrefsFile(const char* name = kFileName);

  bool IsRead() const { return fRead; }
  const uint8_t* GetBlock() const { return fBlock; }
  int32_t GetMemoryPercent() const;

 private:
  uint8_t fBlock[kBlockBytes] = {};
  bool fRead = false;
};
