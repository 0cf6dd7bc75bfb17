// The layout of the BMP files the program writes: a 14-byte file header, the 40-byte information
// header and uncompressed 24-bit rows, the picture's last row first, each padded to 4 bytes.
//
// Header-only and free of the rest of the program, so that the image plug-in, which links nothing of
// it, writes the very files that the program's own writer does.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace bmp {

constexpr uint16_t kMagic = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes;
enum EFileOffset : size_t { kPixelOffsetField = 10, kInfoSizeField = 14, kMaskFields = 54 };
constexpr uint16_t kWrittenBits = 24;
constexpr double kMetresPerInch = 0.0254;

constexpr uint64_t RowBytes(uint64_t width, uint32_t bits) { return (bits * width + 31) / 32 * 4; }

// The whole file's size, which its header holds in 32 bits.
constexpr uint64_t WrittenFileBytes(uint32_t width, uint32_t height) {
  return kHeaderBytes + RowBytes(width, kWrittenBits) * height;
}

inline void PutLE(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = uint8_t(value >> (8 * i));
}

// The two headers of a written file of the size, with the resolution in pixels per metre both ways.
// The caller makes sure that WrittenFileBytes fits 32 bits.
inline void FillWrittenHeader(uint8_t (&header)[kHeaderBytes], uint32_t width, uint32_t height,
                              uint32_t pixelsPerMetre) {
  for (uint8_t& byte : header) byte = 0;
  PutLE(header, kMagic, 2);
  PutLE(header + 2, uint32_t(WrittenFileBytes(width, height)), 4);
  PutLE(header + kPixelOffsetField, kHeaderBytes, 4);
  uint8_t* info = header + kFileHeaderBytes;
  PutLE(info, kInfoHeaderBytes, 4);
  PutLE(info + 4, width, 4);
  PutLE(info + 8, height, 4);
  PutLE(info + 12, 1, 2);
  PutLE(info + 14, kWrittenBits, 2);
  PutLE(info + 24, pixelsPerMetre, 4);
  PutLE(info + 28, pixelsPerMetre, 4);
}

// One row of 0xAARRGGBB pixels as the file stores it: blue, green, red, the top byte dropped. The
// padding bytes past 3 × width are the caller's.
inline void PackWrittenRow(const uint32_t* pixels, uint32_t width, uint8_t* out) {
  uint32_t x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // A pixel's four bytes at once, its top byte overwritten by the next pixel's: a render's picture is
    // packed while every render thread waits. The last pixel writes three, leaving the padding alone.
    for (; x + 1 < width; ++x, out += 3) std::memcpy(out, pixels + x, 4);
  }
  for (; x < width; ++x, out += 3) {
    const uint32_t p = pixels[x];
    out[0] = uint8_t(p);
    out[1] = uint8_t(p >> 8);
    out[2] = uint8_t(p >> 16);
  }
}

}  // namespace bmp
