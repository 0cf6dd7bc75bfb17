// PackBits, the run-length packing of Photoshop image rows and of PICT pixel maps: a flag byte n
// of 0 to 127 is followed by n + 1 literal bytes, one of 129 to 255 by a byte repeated 257 − n
// times, and 128 stands alone and means nothing.
#pragma once

#include <cstdint>

class CByteReader;

class CRLCompression {
 public:
  // Fills row[0, rowLength) from the packed bytes that `packed` holds, taking only what the row
  // needs: a run that passes the row's end is cut there, and bytes left over are not read. 2 when
  // the packed bytes end before the row is full.
  static int32_t Decode(uint8_t* row, uint32_t rowLength, CByteReader& packed);
  // The fewest packed bytes that can fill a row of rowLength bytes: two for every 128.
  static uint64_t SmallestPacked(uint64_t rowLength) { return (rowLength + 127) / 128 * 2; }
};
