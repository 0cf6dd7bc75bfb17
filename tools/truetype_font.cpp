#include "tools/truetype_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H


#include "tools/font_builder.h"

namespace {

constexpr uint32_t kFirstPrintable = 32;
// Windows-1252's characters 0x80 to 0x9F; 0 where the set leaves a code undefined.
constexpr uint32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

uint32_t UnicodeOf(uint32_t code) {
  if (code < kFirstPrintable) return 0;
  if (code >= 0x80 && code < 0xA0) return kHighControls[code - 0x80];
  return code;
}

struct SFreeType {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~SFreeType() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

// The outline's contours, each begun at a point on the curve where it has one; false for cubic
// segments, which the program's fonts cannot hold.
bool ConvertOutline(const FT_Outline& outline, float unitsPerEm, SGlyphOutline* glyph) {
  for (int c = 0, start = 0; c < outline.n_contours; start = outline.contours[c++] + 1) {
    const int end = outline.contours[c], count = end - start + 1;
    int first = 0;
    while (first < count && FT_CURVE_TAG(outline.tags[start + first]) != FT_CURVE_TAG_ON) ++first;
    if (first == count) first = 0;
    for (int k = 0; k < count; ++k) {
      const int i = start + (first + k) % count;
      const char tag = FT_CURVE_TAG(outline.tags[i]);
      if (tag == FT_CURVE_TAG_CUBIC) return false;
      uint8_t flags = tag == FT_CURVE_TAG_ON ? COutlineFont::kOnCurve : 0;
      if (k == count - 1) flags |= COutlineFont::kContourEnd;
      glyph->points.push_back({float(outline.points[i].x) / unitsPerEm, -float(outline.points[i].y) / unitsPerEm});
      glyph->flags.push_back(flags);
    }
  }
  if (glyph->points.empty()) {
    glyph->points.push_back({});
    glyph->flags.push_back(COutlineFont::kOnCurve | COutlineFont::kContourEnd);
  }
  glyph->flags.back() |= COutlineFont::kGlyphEnd;
  return true;
}

}  // namespace

bool ConvertTrueTypeFont(const std::string& path, SOutlineFontSource* font, std::string* reason) {
  SFreeType ft;
  if (const FT_Error err = FT_Init_FreeType(&ft.library)) {
    *reason = "FreeType does not start (error " + std::to_string(err) + ")";
    return false;
  }
  if (const FT_Error err = FT_New_Face(ft.library, path.c_str(), 0, &ft.face)) {
    *reason = "FreeType cannot open it (error " + std::to_string(err) + ")";
    return false;
  }
  const FT_Face face = ft.face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0 || FT_Select_Charmap(face, FT_ENCODING_UNICODE)) {
    *reason = "it holds no outlines for Unicode characters";
    return false;
  }
  const float unitsPerEm = float(face->units_per_EM);
  COutlineFontBuilder builder;
  builder.SetBox({-float(face->bbox.yMax) / unitsPerEm, float(face->bbox.xMin) / unitsPerEm,
                  -float(face->bbox.yMin) / unitsPerEm, float(face->bbox.xMax) / unitsPerEm});
  for (uint32_t code = 0; code < 256; ++code) {
    const uint32_t unicode = UnicodeOf(code);
    const FT_UInt index = unicode ? FT_Get_Char_Index(face, unicode) : 0;
    if (index == 0) continue;
    if (const FT_Error err = FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP)) {
      *reason = "FreeType cannot load the glyph of character " + std::to_string(code) + " (error " +
                std::to_string(err) + ")";
      return false;
    }
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      *reason = "the glyph of character " + std::to_string(code) + " is no outline";
      return false;
    }
    SGlyphOutline glyph;
    glyph.advance = float(face->glyph->metrics.horiAdvance) / unitsPerEm;
    if (!ConvertOutline(face->glyph->outline, unitsPerEm, &glyph)) {
      *reason = "the glyph of character " + std::to_string(code) + " has cubic curves";
      return false;
    }
    builder.Map(code, builder.AddGlyph(glyph));
  }
  *font = builder.Build();
  return true;
}
