// Outline fonts as the resource tools and the tests make them: glyphs added one by one (an identical
// glyph is stored once), character codes mapped to them, and the whole laid out as the font's record
// and data block, which StoreOutlineFont (record_store.h) writes through the font's own record handler.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/ui/outline_font.h"

// One glyph: its advance and its points in font units with their flags (COutlineFont::EPointFlag).
struct SGlyphOutline {
  float advance = 0.0f;
  std::vector<SFontPoint> points;
  std::vector<uint8_t> flags;
  bool operator==(const SGlyphOutline&) const = default;
};

// A font's record fields and its data block in machine order.
struct SOutlineFontSource {
  uint32_t points = 0;
  uint32_t glyphs = 0;
  SFontBox box;
  bool doubleByte = false;
  std::vector<uint8_t> data;
};

class COutlineFontBuilder {
 public:
  // Glyph 0 is an empty glyph (one point at the origin ending it, advance 0), which every code not
  // mapped reads.
  COutlineFontBuilder();

  // The glyph's index: a new one, or that of an identical glyph added before.
  uint32_t AddGlyph(const SGlyphOutline& glyph);
  // Codes below 256 go to the 8-bit map (glyphs below 256), codes from 0x8000 to 0xFFFF to the
  // 16-bit map, which makes the font double-byte; false for any other code or glyph.
  bool Map(uint32_t code, uint32_t glyph);
  void SetBox(const SFontBox& box) { fBox = box; }

  uint32_t GlyphCount() const { return uint32_t(fGlyphs.size()); }
  SOutlineFontSource Build() const;

 private:
  std::vector<SGlyphOutline> fGlyphs;
  uint8_t fMap[256] = {};
  std::vector<uint16_t> fWideMap;
  SFontBox fBox{-1.0f, 0.0f, 0.0f, 1.0f};
};
