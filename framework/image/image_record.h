// The stored record of 32-bit images: an 80-byte header of big-endian words, and a body that is the
// pixels as they lie in memory in the swap files, and in resource environments either the pixels
// byte-swapped to big-endian or, usually shorter, run-length packed behind the tag "arle".
//
// Header: "imge", "iv32" (or "iv08" for 8-bit images), cell size, width, row bytes, height,
// origin x, origin y, clip top, left, bottom, right, then 32 zero bytes. An 8-bit record holds the
// image's own origin and area instead of the grid's, and its body is always the raw bytes.
//
// Packed body: "arle", 60 zero bytes, then four planes of width × height bytes each (top byte, red,
// green, blue; rows top to bottom), each a series of packets that never spans two planes: a header
// byte h below 128 is a run of h copies of the byte that follows, h of 128 or more a literal of
// h − 128 bytes. The size alone tells the forms apart: a body of exactly the pixels' size is never
// packed.
#pragma once

#include <cstdint>

class CImage;
class CSpoolMem;

inline constexpr uint32_t kImageHeaderBytes = 80;
inline constexpr uint32_t kPackedPrefixBytes = 64;

// The record-type handlers of 32-bit and 8-bit images; refusals leave their code in the image's
// error field.
uint32_t ImageRecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument);
uint32_t Image8RecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument);

// Room a packed body may need, prefix not included; 0 when the image is too large to pack.
uint32_t PackedCapacity(const CImage& image);
// The locked image's planes into out: 0, 2 for rows padded beyond width × 4, 21 when out is too
// small.
int32_t PackImage(const CImage& image, uint8_t* out, uint32_t capacity, uint32_t* length);
// Packets from in, which holds length bytes, into the locked image: 0, or 2 for padded rows, a
// packet longer than what is left of its plane, or packets that end before the planes are full.
int32_t UnpackImage(CImage& image, const uint8_t* in, uint32_t length);
// Byte-swaps every 32-bit pixel of the locked image's whole grid.
void SwapImagePixels(CImage& image);
