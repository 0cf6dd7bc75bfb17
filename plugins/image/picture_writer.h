// The picture writers of the image plug-in, one per file format: each gets an open file and the
// picture's size, then its rows from the top down, then the end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// The answers of the image plug-in, the program's result codes.
enum EImagerResult : int32_t {
  kImagerFine = 0,
  kImagerOutOfMemory = 9,
  kImagerUnexpectedStatus = 15,
  kImagerInvalidParameter = 16,
  kImagerInvalidSize = 22,
  kImagerDiskFull = -34,
  kImagerIOError = -36,
  kImagerPermission = -54,
};

// The answer for a failed write or flush, from errno.
int32_t WriteFailure();

struct SPictureSize {
  uint32_t width;
  uint32_t height;
  // Dots per metre both ways; 0 stores no resolution.
  uint32_t pixelsPerMetre;
};

class CPictureWriter {
 public:
  virtual ~CPictureWriter() = default;
  // The file's start; the file stays the caller's, which closes it after End or a failure.
  virtual int32_t Begin(FILE* file, const SPictureSize& size) = 0;
  // Row `row` of 0xAARRGGBB pixels; rows come in order from 0, the top byte is not stored.
  virtual int32_t WriteRow(uint32_t row, const uint32_t* pixels) = 0;
  // After the last row: what the format puts after the rows, handed to the file.
  virtual int32_t End() = 0;
};

std::unique_ptr<CPictureWriter> NewBmpWriter();
std::unique_ptr<CPictureWriter> NewPngWriter();
