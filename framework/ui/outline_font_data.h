// The inside of outline fonts, shared by their measuring, their scan conversion and styled texts: the
// data block read while the font is locked, and texts decoded as the font reads them.
#pragma once

#include <cstdint>
#include <cstring>

#include "framework/core/holder.h"
#include "framework/ui/outline_font.h"

// The font's data, locked for the reader's life. Glyph indices at or above the glyph count read
// glyph 0; point indices are the caller's to keep below the point count.
class CFontData {
 public:
  explicit CFontData(COutlineFont* font)
      : fHolder(font, false, false), fLayout(font->GetLayout()), fData(font->GetData()) {}

  // Locked, with every part the counts promise.
  bool IsUsable() const {
    return fHolder.IsLocked() && fData && fLayout.glyphs && fLayout.points &&
           fHolder.GetObject()->GetDataSize() >= fLayout.Bytes();
  }
  const SOutlineFontLayout& Layout() const { return fLayout; }

  uint32_t GlyphOf(uint32_t code) const {
    if (fLayout.doubleByte && (code & 0xFFFF) >= 0x8000) {
      uint16_t glyph = 0;
      std::memcpy(&glyph, fData + fLayout.WideMap() + 2 * ((code & 0xFFFF) - 0x8000), 2);
      return glyph;
    }
    return fData[code & 0xFF];
  }
  uint32_t FirstPoint(uint32_t glyph) const { return WordAt(fLayout.FirstPoints() + 4 * uint64_t(Valid(glyph))); }
  float Advance(uint32_t glyph) const { return FloatAt(fLayout.Advances() + 4 * uint64_t(Valid(glyph))); }
  uint8_t Flags(uint32_t point) const { return fData[fLayout.Flags() + point]; }
  SFontPoint Point(uint32_t point) const {
    const uint64_t at = fLayout.Points() + 8 * uint64_t(point);
    return {FloatAt(at), FloatAt(at + 4)};
  }
  // The points of a glyph: from its first to the one that ends the glyph, or the last point.
  uint32_t GlyphEnd(uint32_t first) const {
    uint32_t last = first;
    while (last + 1 < fLayout.points && !(Flags(last) & COutlineFont::kGlyphEnd)) ++last;
    return last;
  }

 private:
  uint32_t Valid(uint32_t glyph) const { return glyph < fLayout.glyphs ? glyph : 0; }
  uint32_t WordAt(uint64_t at) const {
    uint32_t word = 0;
    std::memcpy(&word, fData + at, 4);
    return word;
  }
  float FloatAt(uint64_t at) const {
    float value = 0;
    std::memcpy(&value, fData + at, 4);
    return value;
  }

  CHolder fHolder;
  SOutlineFontLayout fLayout;
  const uint8_t* fData;
};

// The characters of a zero-terminated text as a font decodes them.
class CTextCursor {
 public:
  static constexpr uint32_t kEnd = 0;
  static constexpr uint32_t kReturn = 13;
  static constexpr uint32_t kLineFeed = 10;
  static constexpr uint32_t kSpace = 32;

  CTextCursor(const char* text, bool doubleByte)
      : fAt(reinterpret_cast<const uint8_t*>(text ? text : "")), fDoubleByte(doubleByte) {}

  static bool IsLeadByte(uint8_t byte) { return (byte >= 129 && byte <= 159) || (byte >= 224 && byte <= 252); }

  // The next character, or kEnd at the terminator, where the cursor then stays. A lead byte right
  // before the terminator is dropped.
  uint32_t Next() {
    const uint8_t byte = *fAt;
    if (byte == 0) return kEnd;
    ++fAt;
    if (!fDoubleByte || !IsLeadByte(byte)) return byte;
    if (*fAt == 0) return kEnd;
    return uint32_t(byte) << 8 | *fAt++;
  }
  const char* Position() const { return reinterpret_cast<const char*>(fAt); }

 private:
  const uint8_t* fAt;
  bool fDoubleByte;
};
