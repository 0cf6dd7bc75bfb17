// Outline fonts: resources of type "OutlineFont" whose "outf" record holds the counts and a design
// box, and whose data block holds the character maps, the glyph tables and the glyphs' quadratic
// contours in font units (one em is 1.0 in the fonts resbuild converts; the vertical axis grows
// downwards). A font is loaded once per resource environment and shared through the environment's
// shared-object table with a use count.
//
// Record (68 bytes, big-endian): "outf", "0100", point count P, glyph count G (at most 32768), four
// box values (first below third, second below fourth), a word whose bit 0 marks a double-byte font,
// 32 reserved bytes written as zero.
//
// Data block: the 8-bit map (256 glyph indices, bytes), the first point of each glyph (G words), the
// advance of each glyph (G floats), a flag byte per point (kOnCurve, kContourEnd, kGlyphEnd), the
// points (P pairs of floats), and for a double-byte font the 16-bit map of the codes 0x8000 up
// (32768 half-words). Words and floats are stored big-endian and held in machine order while loaded.
//
// Texts are zero-terminated bytes; 13 ends a line, 32 separates words. In a double-byte font a byte
// of 129..159 or 224..252 leads a two-byte character; a lead byte right before the terminator is
// dropped. A glyph index at or above G reads glyph 0.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "framework/core/subscriber.h"

class CImage;
class CResourceEnv;
struct SIndexedRef;
struct STextStyle;

inline constexpr const char* kOutlineFontType = "OutlineFont";

// A position or a vector in pixels or font units.
struct SFontPoint {
  float h = 0.0f;
  float v = 0.0f;
  bool operator==(const SFontPoint&) const = default;
};

// Maps (x, y) to (m0·x + m1·y, m2·x + m3·y).
struct SFontMatrix {
  float m0 = 1.0f;
  float m1 = 0.0f;
  float m2 = 0.0f;
  float m3 = 1.0f;

  SFontPoint Apply(SFontPoint p) const { return {m0 * p.h + m1 * p.v, m2 * p.h + m3 * p.v}; }
};

struct SFontBox {
  float top = 0.0f;
  float left = 0.0f;
  float bottom = 0.0f;
  float right = 0.0f;
  bool operator==(const SFontBox&) const = default;
};

// Where the parts of a font's data block lie, from its counts.
struct SOutlineFontLayout {
  uint32_t glyphs = 0;
  uint32_t points = 0;
  bool doubleByte = false;

  uint64_t FirstPoints() const { return 256; }
  uint64_t Advances() const { return 256 + 4 * uint64_t(glyphs); }
  uint64_t Flags() const { return 256 + 8 * uint64_t(glyphs); }
  uint64_t Points() const { return Flags() + points; }
  uint64_t WideMap() const { return Points() + 8 * uint64_t(points); }
  uint64_t Bytes() const { return WideMap() + (doubleByte ? 65536 : 0); }
};

class COutlineFont : public CSubscriber {
 public:
  static constexpr uint32_t kRecordBytes = 68;
  static constexpr uint32_t kMaxGlyphs = 32768;
  enum EPointFlag : uint8_t { kOnCurve = 1, kContourEnd = 2, kGlyphEnd = 4 };

  // The font of the request's key (type kOutlineFontType, number or name), shared with one more use:
  // 16 when the environment is missing or not an open and ready one, 14 when it is no resource
  // environment, 6 when the font is missing (in the application's resource environment too when the
  // request allows it), 9, 13 when the font or the scratch buffers cannot be made, 12 when the shared
  // table cannot grow, 16 for a data block that does not hold what the record counts, 2 for a record
  // or data that is not a font's, or the environment's code. A font whose data is refused is never
  // cached.
  static int32_t Acquire(COutlineFont** font, const SIndexedRef& request);
  // One use fewer, the font deleted with its last: 17 while it is locked, 16 when its environment is
  // missing or not an open and ready one, 14 when it is no resource environment, 6 when the
  // environment does not share it, or the shared table's lock error.
  static int32_t Release(COutlineFont* font);
  // The record handler: 5 to 7 turn the data block around (in resource environments), 8 reads the
  // record, 9 writes it, 10 answers its size.
  static uint32_t HandleSpoolMessage(CSpoolMem* object, uint32_t message, void* argument);

  // Not subscribed; the first living font makes the scan conversion's scratch buffers and the last
  // one deletes them. A font that could not have them is not valid.
  explicit COutlineFont(CSpoolSys* environment);
  ~COutlineFont() override;

  // The record's fields as a writer sets them before writing a new font.
  void SetRecord(uint32_t points, uint32_t glyphs, const SFontBox& box, bool doubleByte);

  uint32_t GetPointCount() const { return fPoints; }
  uint32_t GetGlyphCount() const { return fGlyphs; }
  const SFontBox& GetBox() const { return fBox; }
  bool IsDoubleByte() const { return fDoubleByte; }
  bool IsNotLoaded() const { return fNotLoaded; }
  SOutlineFontLayout GetLayout() const { return {fGlyphs, fPoints, fDoubleByte}; }

  // ---- what the data block holds; each locks the data for the call (zeros when that fails)
  // The glyph of a character code (masked to 8 bits, or to 16 bits in a double-byte font).
  uint32_t GlyphOf(uint32_t code);
  float GlyphAdvance(uint32_t glyph);
  // The glyph's points mapped by the matrix and moved by the offset: (top, left, bottom, right).
  SFontBox GlyphBounds(uint32_t glyph, SFontPoint offset, const SFontMatrix& matrix);

  // Ink widths: of the text up to a space, 13 or its end; up to 13 or its end; and the same where a
  // space ends the line when the pen's place plus the next word's width passes width.
  float MeasureWord(const char* text, float spacing, float lineHeight);
  float MeasureLine(const char* text, float spacing, float lineHeight);
  float MeasureWrappedLine(const char* text, float spacing, float lineHeight, float width);
  // The ink box of the whole text, every 13 starting a line lineHeight further down, and the descent
  // of its last line below that line's baseline; a text without glyphs gives the zero box.
  SFontBox TextBounds(const char* text, float spacing, float lineHeight, float* descent);
  SFontBox WrappedTextBounds(const char* text, float spacing, float lineHeight, float width, float* descent);

  // One glyph into the image's active area (the image placed at its origin), its contours mapped by
  // the matrix and moved to the position: blended in the colour, or without one raising the image's
  // alpha; outline draws only the contours. True also when nothing falls inside; false when the
  // image or the scratch buffers cannot be had.
  bool DrawGlyph(uint32_t glyph, SFontPoint position, const SFontMatrix& matrix, CImage* image,
                 const uint32_t* colour, bool outline);

  // The rectangle a styled text covers at the position, and its drawing (text_style.cpp).
  SRect StyledTextRect(const STextStyle& style, const char* text, SFontPoint position);
  bool DrawStyledText(const STextStyle& style, const char* text, SFontPoint position, CImage* image);

 private:
  friend class CFontData;
  bool ReadRecord(const CMemBlock& record);
  bool WriteRecord(CMemBlock& record) const;
  bool SwapData();
  bool CheckData();

  uint32_t fPoints = 0;
  uint32_t fGlyphs = 0;
  SFontBox fBox;
  bool fDoubleByte = false;
  bool fNotLoaded = true;
};
