// Outline fonts for the font, style and text element tests, written through the program's own writer.
// The unit-square font: 'a' is the unit square above the baseline (points (0, 0), (1, 0), (1, -1),
// (0, -1), advance 1), the space has advance 1 and one point at its origin; its double-byte variant
// also maps 0x8140 to the square and gives '@' a glyph three ems wide, which a double-byte text
// reading 0x81 0x40 must not meet.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/c_string.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/outline_font.h"
#include "tools/record_store.h"

inline SGlyphOutline RectangleGlyph(float width, float height, float advance) {
  SGlyphOutline glyph;
  glyph.advance = advance;
  glyph.points = {{0, 0}, {width, 0}, {width, -height}, {0, -height}};
  glyph.flags = {COutlineFont::kOnCurve, COutlineFont::kOnCurve, COutlineFont::kOnCurve,
                 COutlineFont::kOnCurve | COutlineFont::kContourEnd | COutlineFont::kGlyphEnd};
  return glyph;
}

inline SGlyphOutline PointGlyph(float advance) {
  SGlyphOutline glyph;
  glyph.advance = advance;
  glyph.points = {{0, 0}};
  glyph.flags = {COutlineFont::kOnCurve | COutlineFont::kContourEnd | COutlineFont::kGlyphEnd};
  return glyph;
}

inline SOutlineFontSource UnitSquareFont(bool doubleByte = false) {
  COutlineFontBuilder font;
  const uint32_t square = font.AddGlyph(RectangleGlyph(1, 1, 1));
  font.Map('a', square);
  font.Map(' ', font.AddGlyph(PointGlyph(1)));
  if (doubleByte) {
    font.Map('@', font.AddGlyph(RectangleGlyph(3, 1, 3)));
    for (const uint32_t code : {0x8140u, 0x810Du, 0x8120u, 0xE040u}) font.Map(code, square);
  }
  return font.Build();
}

// Fonts in resource files for tests built on Base (a ResourceTest).
template <typename Base>
class FontTestT : public Base {
 protected:
  void PutFont(CResourceEnv& environment, uint32_t number, const char* name, const SOutlineFontSource& font) {
    SSpoolKey key;
    key.Set(kOutlineFontType, number, false);
    environment.DeleteResource(key);
    CopyCString(key.name, name, sizeof key.name);
    ASSERT_EQ(StoreOutlineFont(environment, key, font), kNoErr);
  }
  static SIndexedRef Request(CSpoolSys* environment, uint32_t number, const char* name = nullptr,
                             bool withFallback = false) {
    SIndexedRef request;
    request.environment = environment;
    request.key = IndexedKey(kOutlineFontType, number, name);
    request.key.fallback = 0;
    request.withFallback = withFallback;
    return request;
  }
  // The font of env's resource number, which the test gives back with Release.
  COutlineFont* Acquired(CResourceEnv& environment, uint32_t number) {
    COutlineFont* font = nullptr;
    EXPECT_EQ(COutlineFont::Acquire(&font, Request(&environment, number)), kNoErr);
    return font;
  }
};
