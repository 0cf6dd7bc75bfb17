// The preferences file "Quarn2 Prefs" in the current folder: one raw block of 2772 bytes in the
// machine's byte order, no header. Each user constructs one, looks at the block, changes the part it
// owns and writes the whole block back.
//
// Offsets of the words the program reads: 0 restore the previous interface state (1), 4 place new
// objects in view (1) or at the world centre (0), 8 keep a picture of the render beside each
// document, 12 the percentage of physical memory for the data pool; 16 to 131 the palettes' states.
#pragma once

#include <cstdint>

#include "framework/core/file.h"

class CPrefsFile : public CFile {
 public:
  static constexpr const char* kFileName = "Quarn2 Prefs";
  static constexpr uint32_t kBlockBytes = 2772;
  static constexpr uint32_t kPictureWithDocumentOffset = 8;
  static constexpr uint32_t kMemoryPercentOffset = 12;
  // A missing file's block: a picture beside each document, three quarters of memory.
  static constexpr uint32_t kDefaultPictureWithDocument = 1;
  static constexpr int32_t kDefaultMemoryPercent = 75;

  // Reads up to 2772 bytes of the file; a shorter file counts as read, the rest of the block zero.
  // Without the file the block holds the defaults and IsRead answers false.
  explicit CPrefsFile(const char* name = kFileName);

  bool IsRead() const { return fRead; }
  uint8_t* GetBlock() { return fBlock; }
  const uint8_t* GetBlock() const { return fBlock; }
  // A 32-bit word of the block at a byte offset; 0 beyond it.
  int32_t GetWord(uint32_t offset) const;
  void SetWord(uint32_t offset, int32_t value);
  int32_t GetMemoryPercent() const { return GetWord(kMemoryPercentOffset); }

  // Writes the whole block to a temporary file beside the preferences and puts it in their place; a
  // failure leaves the old file as it was. True when written.
  bool Write();

 private:
  uint8_t fBlock[kBlockBytes] = {};
  bool fRead = false;
};
