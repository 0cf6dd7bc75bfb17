// Colour gradients: ramps of 513 entries of four 16-bit channels on a spool table. Colours are placed
// at positions and interpolated linearly between them; pixels are mapped through a 256-colour table
// taken from every second entry, so that interpolation happens once per gradient, not per pixel.
//
// Stored form in resource environments (elsewhere the entries as they lie in memory):
//   first colour    3 bytes   red, green, blue levels of entry 0
//   colour segments 4 bytes   count n (0 means 256), red, green, blue levels n entries further on;
//                             repeated until entry 512
//   first top       1 byte    top level of entry 0
//   top segments    2 bytes   count n (0 means 256), top level n entries further on; until entry 512
// A level b stands for the 16-bit value b·257, and entries between two keys lie on the straight line
// between them; the encoder keeps every entry within 512 of that line, before the keys' rounding.
#pragma once

#include <cstdint>

#include "framework/core/spool_table.h"
#include "framework/image/image.h"

// The spool type of temporary gradients.
inline constexpr const char* kGradientType = "SpGradient";

// One entry: the top channel and red in the first word (top in the upper half), green and blue in
// the second (green in the upper half). A channel's 8-bit level is its upper byte.
struct CImVector64 {
  enum EChannel : uint32_t { kTop = 0, kRed = 1, kGreen = 2, kBlue = 3 };

  uint32_t topRed = 0;
  uint32_t greenBlue = 0;

  uint16_t Channel(uint32_t channel) const {
    const uint32_t word = channel < kGreen ? topRed : greenBlue;
    return uint16_t(channel % 2 ? word : word >> 16);
  }
  void SetChannel(uint32_t channel, uint32_t value);
  void Set(uint32_t top, uint32_t red, uint32_t green, uint32_t blue);
  // The 32-bit colour of the channels' levels.
  uint32_t ToColor() const;
};
static_assert(sizeof(CImVector64) == 8);

class CSpGradient : public CSpoolTableT<CImVector64> {
 public:
  static constexpr uint32_t kEntries = 513;
  static constexpr int32_t kLastEntry = 512;
  static constexpr uint32_t kTableColours = 256;
  // The longest stored form: every segment one entry long.
  static constexpr uint32_t kEncodedBytes = 3 + 4 * 512 + 1 + 2 * 512;

  // The edited range is 0..512.
  explicit CSpGradient(const STableLayout& layout);
  CSpGradient(const STableLayout& layout, const SSpoolTableSpec& spec);
  ~CSpGradient() override;

  // Refused (false, the range kept) outside 0..512 or with first above last.
  bool SetRange(int32_t first, int32_t last);
  int32_t GetFirst() const { return fFirst; }
  int32_t GetLast() const { return fLast; }
  // Places the colour at the position and makes straight ramps to both ends of the range; a
  // position within 5 entries of an end snaps to it, one outside the range changes nothing. False
  // only when the table cannot be locked.
  bool SetColorAt(uint32_t color, int32_t position);
  // Black, through the colour at entry 256, to white.
  bool FillFromColor(uint32_t color);
  // Colour j takes the levels of entry 2j.
  bool ToColorTable(CImVector (&colors)[kTableColours]);
  // The first row of the image's clip area takes entry (x · 512) div width at pixel x; the other
  // rows are copies of it.
  bool DrawIntoImage(CImage* image);

  // Record-type handler: bodies are encoded in resource environments and raw elsewhere; a stored
  // header is checked for the size this handler reports.
  static uint32_t HandleMessage(CSpoolMem* object, uint32_t message, void* argument);

 private:
  int32_t fFirst = 0;
  int32_t fLast = kLastEntry;
};

// {environment, 8-byte records, 513 of them} and an unkeyed spec of type "SpGradient" with the
// gradient's handler.
void MakeGradientSpec(STableLayout& layout, SSpoolTableSpec& spec, CSpoolSys* env);

// entries: 513 of them. The grey ramp: top 65535 and red, green and blue 127 · i at entry i.
void MakeDefaultGradient(CImVector64* entries);
// The stored form of the 513 entries into out, which has room for kEncodedBytes; its length.
uint32_t EncodeGradient(const CImVector64* entries, uint8_t* out);
// No bytes give the grey ramp. 8 (damaged) when the bytes end before either group of segments
// reaches entry 512; the 513 entries are changed only on success.
int32_t DecodeGradient(const uint8_t* in, uint32_t length, CImVector64* entries);
