// The one bounded reader of stored bytes. It knows how many bytes remain; every read is checked and
// a read past the end fails without moving, so a reader over a file's bytes cannot be led outside
// them. Stored formats are mostly big-endian; the little-endian reads serve the few that are not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class CByteReader {
 public:
  CByteReader(const void* data, size_t size) : fData(static_cast<const uint8_t*>(data)), fSize(size) {}

  size_t GetPosition() const { return fPosition; }
  size_t GetRemaining() const { return fSize - fPosition; }
  bool Has(size_t count) const { return count <= GetRemaining(); }

  bool Seek(size_t position) {
    if (position > fSize) return false;
    fPosition = position;
    return true;
  }
  bool Skip(size_t count) {
    if (!Has(count)) return false;
    fPosition += count;
    return true;
  }

  bool ReadU8(uint8_t* value) { return ReadBytes(value, 1); }
  bool ReadBE16(uint16_t* value) { return ReadOrdered(value, true); }
  bool ReadBE32(uint32_t* value) { return ReadOrdered(value, true); }
  bool ReadLE16(uint16_t* value) { return ReadOrdered(value, false); }
  bool ReadLE32(uint32_t* value) { return ReadOrdered(value, false); }
  // For formats whose header names their byte order.
  bool Read16(uint16_t* value, bool bigEndian) { return ReadOrdered(value, bigEndian); }
  bool Read32(uint32_t* value, bool bigEndian) { return ReadOrdered(value, bigEndian); }

  bool ReadBytes(void* out, size_t count) {
    if (!Has(count)) return false;
    if (count) std::memcpy(out, fData + fPosition, count);
    fPosition += count;
    return true;
  }

  // A zero-terminated text within the next `field` bytes, which are consumed whole; false when the
  // field does not fit or holds no terminator. `out` needs room for `field` bytes.
  bool ReadTextField(char* out, size_t field) {
    if (!Has(field) || !std::memchr(fData + fPosition, 0, field)) return false;
    return ReadBytes(out, field);
  }

 private:
  template <typename T>
  bool ReadOrdered(T* value, bool bigEndian) {
    if (!Has(sizeof(T))) return false;
    T result = 0;
    for (size_t i = 0; i < sizeof(T); ++i) {
      const size_t shift = 8 * (bigEndian ? sizeof(T) - 1 - i : i);
      result = T(result | T(T(fData[fPosition + i]) << shift));
    }
    *value = result;
    fPosition += sizeof(T);
    return true;
  }

  const uint8_t* fData;
  size_t fSize;
  size_t fPosition = 0;
};

// Writes a 32-bit value in stored (big-endian) order.
inline void StoreBE32(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 24);
  at[1] = uint8_t(value >> 16);
  at[2] = uint8_t(value >> 8);
  at[3] = uint8_t(value);
}
