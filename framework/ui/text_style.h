// Text styles: how a text is set with an outline font. A style holds one counted use of its font, a
// matrix from font units to pixels, a colour, the alignment of the text's ink box on its position
// (0 left or top, 1 right or bottom, anything between), letter spacing and line height in font units,
// an optional wrap width in pixels and three flags. Styles are stored as "fost" records and bind
// their font through the font cache, where a font missing from the style's environment comes from the
// application's resource environment.
//
// "fost" record (big-endian, at least 104 bytes): tag, "0100", 16 reserved bytes, font number (24),
// font name (28, 32 bytes), m0..m3 (60, floats), colour (76), alignH (80), alignV (84), spacing (88),
// lineHeight (92), wrapWidth (96), flags (100).
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/core/rect.h"
#include "framework/ui/outline_font.h"

class CImage;
class CResourceEnv;
class CSpoolMem;

// Checks and turns around a "fost" record: 2 for one shorter than 104 bytes or of another tag or
// version.
uint32_t StyleRecordHandler(CSpoolMem* record, uint32_t message, void* argument);

struct STextStyle {
  static constexpr const char* kTag = "fost";
  static constexpr uint32_t kRecordBytes = 104;
  enum ERecordOffset : uint32_t {
    kRecordFontNumber = 24,
    kRecordFontName = 28,
    kRecordMatrix = 60,
    kRecordColour = 76,
    kRecordAlignH = 80,
    kRecordAlignV = 84,
    kRecordSpacing = 88,
    kRecordLineHeight = 92,
    kRecordWrapWidth = 96,
    kRecordFlags = 100,
  };
  enum ERecordFlag : uint32_t {
    kOutline = 0x1,
    kMask = 0x2,
    kNamesFont = 0x4,
    kFontByName = 0x8,
    kFontOwnKey = 0x10,  // the font has the style resource's own number (or name)
    kBaseline = 0x20,
  };

  // A style with the defaults, loaded from the "fost" record: 0 and the style, or the code and none
  // (what it had bound released). 9 when it cannot be had.
  static int32_t CreateById(STextStyle** style, CResourceEnv* environment, uint32_t id);
  static int32_t CreateByName(STextStyle** style, CResourceEnv* environment, const char* name);

  static void* operator new(size_t size) noexcept;
  static void operator delete(void* p) noexcept;

  // Takes the record's settings; a record that names a font binds it in place of the style's own.
  // The record's, the lookup's or the font's code.
  int32_t Load(CResourceEnv* environment, uint32_t id, const char* name);
  // Binds the font (the application's resource environment tried too); the old one is given back
  // when releaseOld. The acquisition's code, the style unchanged then.
  int32_t SetFontById(CResourceEnv* environment, uint32_t id, bool releaseOld);
  int32_t SetFontByName(CResourceEnv* environment, const char* name, bool releaseOld);
  // Gives the font back (COutlineFont::Release's codes; the style keeps it on failure). Without a
  // font, 0.
  int32_t ReleaseFontChecked();
  void ReleaseFont();

  // The pixels the text covers when drawn at the position; the zero rectangle without a font or ink.
  void GetTextRect(SRect* out, const char* text, SFontPoint position) const;
  // Draws the text into the image's active area: 0 (also without a font), or 9 when it failed, the
  // glyphs drawn before staying.
  int32_t DrawText(const char* text, SFontPoint position, CImage* image) const;

  // The wrap width in font units; 0 when the style does not wrap.
  float WrapLimit() const { return wrapWidth && matrix.m0 != 0.0f ? float(wrapWidth) / matrix.m0 : 0.0f; }

  COutlineFont* font = nullptr;
  SFontMatrix matrix{12.0f, 0.0f, 0.0f, 12.0f};
  uint32_t colour = 0xFF000000;
  float alignH = 0.0f;
  float alignV = 0.0f;
  float spacing = 0.0f;
  float lineHeight = 1.0f;
  uint32_t wrapWidth = 0;
  uint8_t mask = 0;
  uint8_t outline = 0;
  uint8_t baseline = 0;
};
