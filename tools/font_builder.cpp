#include "tools/font_builder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kWideCodes = 0x8000;

template <typename T>
void Put(std::vector<uint8_t>& data, uint64_t at, T value) {
  std::memcpy(data.data() + at, &value, sizeof value);
}

}  // namespace

COutlineFontBuilder::COutlineFontBuilder() {
  SGlyphOutline empty;
  empty.points.push_back({});
  empty.flags.push_back(COutlineFont::kContourEnd | COutlineFont::kGlyphEnd);
  fGlyphs.push_back(empty);
}

uint32_t COutlineFontBuilder::AddGlyph(const SGlyphOutline& glyph) {
  const auto same = std::find(fGlyphs.begin(), fGlyphs.end(), glyph);
  if (same != fGlyphs.end()) return uint32_t(same - fGlyphs.begin());
  fGlyphs.push_back(glyph);
  return uint32_t(fGlyphs.size() - 1);
}

bool COutlineFontBuilder::Map(uint32_t code, uint32_t glyph) {
  if (code < 256 && glyph < 256) {
    fMap[code] = uint8_t(glyph);
    return true;
  }
  if (code < kWideCodes || code > 0xFFFF || glyph > 0xFFFF) return false;
  fWideMap.resize(kWideCodes, 0);
  fWideMap[code - kWideCodes] = uint16_t(glyph);
  return true;
}

SOutlineFontSource COutlineFontBuilder::Build() const {
  SOutlineFontSource font;
  font.glyphs = uint32_t(fGlyphs.size());
  for (const SGlyphOutline& g : fGlyphs) font.points += uint32_t(g.points.size());
  font.box = fBox;
  font.doubleByte = !fWideMap.empty();
  const SOutlineFontLayout layout{font.glyphs, font.points, font.doubleByte};
  font.data.assign(layout.Bytes(), 0);
  std::memcpy(font.data.data(), fMap, sizeof fMap);
  uint32_t point = 0;
  for (uint32_t g = 0; g < font.glyphs; ++g) {
    const SGlyphOutline& glyph = fGlyphs[g];
    Put(font.data, layout.FirstPoints() + 4 * g, point);
    Put(font.data, layout.Advances() + 4 * g, glyph.advance);
    for (size_t i = 0; i < glyph.points.size(); ++i, ++point) {
      font.data[layout.Flags() + point] = i < glyph.flags.size() ? glyph.flags[i] : 0;
      Put(font.data, layout.Points() + 8 * uint64_t(point), glyph.points[i].h);
      Put(font.data, layout.Points() + 8 * uint64_t(point) + 4, glyph.points[i].v);
    }
  }
  for (size_t i = 0; i < fWideMap.size(); ++i) Put(font.data, layout.WideMap() + 2 * i, fWideMap[i]);
  return font;
}
