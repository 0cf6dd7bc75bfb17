// The LZW decoding of TIFF strips: codes of 9 to 12 bits packed most significant bit first, a clear
// code that resets the string table and an end code, and the code width growing one code early, as
// TIFF writers do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/base_object.h"

// The TIFF reader's out-of-memory code.
inline constexpr int32_t kErrTiffOutOfMemory = 100003;

// Reads codes from a strip's bytes; bits past its end read as 0.
class LzwCodeReader {
 public:
  LzwCodeReader(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
  // False when the code would start past the strip's last bit.
  bool Read(uint32_t width, uint32_t* code);

 private:
  uint8_t ByteAt(size_t index) const { return index < fSize ? fData[index] : 0; }

  const uint8_t* fData;
  size_t fSize;
  uint64_t fBitPosition = 0;
};

// Codes 0 to 255 are the single bytes, 256 clears, 257 ends, and 258 to 4095 are the strings added
// while decoding. A string is kept as its prefix code and last byte.
class CLZWTable : public CBaseObject {
 public:
  enum : uint32_t { kClearCode = 256, kEndCode = 257, kFirstFreeCode = 258, kCodeCount = 4096 };

  CLZWTable() { Reset(); }
  void Reset();

  uint32_t GetNextFree() const { return fNextFree; }
  bool IsDefined(uint32_t code) const { return code < fNextFree && code != kClearCode && code != kEndCode; }
  // The prefix's string followed by the first byte of the suffix code's string, at the next free
  // code; nothing once the table is full.
  void AddString(uint32_t prefix, uint32_t suffix);
  // Copies at most `room` bytes of the code's string to out and answers how many it copied.
  uint32_t WriteString(uint32_t code, uint8_t* out, size_t room) const;
  // The width of the next code: it grows when the next free code reaches 511, 1023 and 2047.
  uint32_t CodeWidth() const;

 private:
  struct SEntry {
    uint16_t prefix;
    uint16_t length;
    uint8_t first;
    uint8_t last;
  };

  SEntry fEntries[kCodeCount];
  uint32_t fNextFree = kFirstFreeCode;
};

// Decodes one strip into out, which takes at most `capacity` bytes; *decoded tells how many it
// holds. Decoding ends at the end code or once out is full. A strip that does not begin with the
// clear code adds its first entry from the single byte 1, as if that had come before. 2 for a code
// not yet defined (a code past the next free one, or a string code straight after a clear) and for a
// strip that ends without its end code; 100003 when the table cannot be had.
int32_t TiffLzwDecode(const uint8_t* strip, size_t stripBytes, uint8_t* out, size_t capacity, size_t* decoded);
