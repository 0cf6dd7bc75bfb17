#include "framework/ui/text_style.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/ix_loader.h"
#include "framework/core/mem_pool.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/layout_record.h"
#include "framework/ui/outline_font_data.h"

namespace {

constexpr char kTagAndVersion[] = "fost0100";
constexpr SWordRange kNumbers[] = {{STextStyle::kRecordFontNumber, STextStyle::kRecordFontName},
                                   {STextStyle::kRecordMatrix, STextStyle::kRecordBytes}};
constexpr SLayoutRecordForm kForm{kTagAndVersion, STextStyle::kRecordBytes, kNumbers, 2};
constexpr uint32_t kNameBytes = 32;
// Text rectangles beyond this many pixels are not made: their corners must fit 32 bits.
constexpr float kFarthest = 1073741824.0f;

// What Load takes from the record, and the font it names.
struct SStyleRecord {
  SFontMatrix matrix;
  uint32_t colour = 0;
  float alignH = 0, alignV = 0, spacing = 0, lineHeight = 0;
  uint32_t wrapWidth = 0;
  uint32_t flags = 0;
  uint32_t fontNumber = 0;
  char fontName[kNameBytes] = {};
  uint32_t ownNumber = 0;
  char ownName[kNameBytes] = {};
};

SFontPoint Plus(SFontPoint a, SFontPoint b) { return {a.h + b.h, a.v + b.v}; }
SFontPoint Minus(SFontPoint a, SFontPoint b) { return {a.h - b.h, a.v - b.v}; }

int32_t Truncated(float v) { return int32_t(std::trunc(v)); }

SIndexedRef FontRequest(CResourceEnv* environment, uint32_t id, const char* name) {
  SIndexedRef request;
  request.environment = environment;
  request.key = IndexedKey(kOutlineFontType, id, name);
  request.key.fallback = 0;
  request.withFallback = true;
  return request;
}

}  // namespace

uint32_t StyleRecordHandler(CSpoolMem* record, uint32_t message, void* argument) {
  return HandleLayoutRecord(record, message, argument, kForm);
}

void* STextStyle::operator new(size_t size) noexcept { return MemAlloc(size); }
void STextStyle::operator delete(void* p) noexcept { MemFree(p); }

// ---- creation and the record

namespace {

int32_t CreateStyle(STextStyle** style, CResourceEnv* environment, uint32_t id, const char* name) {
  *style = nullptr;
  auto* made = new STextStyle;
  if (!made) return kErrOutOfMemory;
  if (const int32_t err = made->Load(environment, id, name)) {
    made->ReleaseFont();
    delete made;
    return err;
  }
  *style = made;
  return kNoErr;
}

}  // namespace

int32_t STextStyle::CreateById(STextStyle** style, CResourceEnv* environment, uint32_t id) {
  return CreateStyle(style, environment, id, nullptr);
}

int32_t STextStyle::CreateByName(STextStyle** style, CResourceEnv* environment, const char* name) {
  return CreateStyle(style, environment, 0, name);
}

int32_t STextStyle::Load(CResourceEnv* environment, uint32_t id, const char* name) {
  SStyleRecord r;
  const int32_t err = ReadLayoutRecord(
      environment, kTag, id, name, &StyleRecordHandler, kRecordBytes, [&](const uint8_t* data, const SSpoolKey& key) {
        r.matrix = {RecordFloatAt(data, kRecordMatrix), RecordFloatAt(data, kRecordMatrix + 4),
                    RecordFloatAt(data, kRecordMatrix + 8), RecordFloatAt(data, kRecordMatrix + 12)};
        r.colour = RecordWordAt(data, kRecordColour);
        r.alignH = RecordFloatAt(data, kRecordAlignH);
        r.alignV = RecordFloatAt(data, kRecordAlignV);
        r.spacing = RecordFloatAt(data, kRecordSpacing);
        r.lineHeight = RecordFloatAt(data, kRecordLineHeight);
        r.wrapWidth = RecordWordAt(data, kRecordWrapWidth);
        r.flags = RecordWordAt(data, kRecordFlags);
        r.fontNumber = RecordWordAt(data, kRecordFontNumber);
        RecordTextAt(data, kRecordFontName, r.fontName, kNameBytes);
        // The resource's own number and name, which a style naming itself gives its font.
        r.ownNumber = key.id;
        CResEntry entry{};
        if (environment->GetResourceInfo(key, &entry)) RecordTextAt(
            reinterpret_cast<const uint8_t*>(entry.name), 0, r.ownName, kNameBytes);
        return kNoErr;
      });
  if (err) return err;
  matrix = r.matrix;
  colour = r.colour;
  alignH = r.alignH;
  alignV = r.alignV;
  spacing = r.spacing;
  lineHeight = r.lineHeight;
  wrapWidth = r.wrapWidth;
  mask = r.flags & kMask ? 1 : 0;
  outline = r.flags & kOutline ? 1 : 0;
  baseline = r.flags & kBaseline ? 1 : 0;
  if (!(r.flags & kNamesFont)) return kNoErr;
  const bool own = r.flags & kFontOwnKey;
  if (r.flags & kFontByName) return SetFontByName(environment, own ? r.ownName : r.fontName, true);
  return SetFontById(environment, own ? r.ownNumber : r.fontNumber, true);
}

// ---- the font

namespace {

int32_t BindFont(STextStyle* style, const SIndexedRef& request, bool releaseOld) {
  COutlineFont* font = nullptr;
  if (const int32_t err = COutlineFont::Acquire(&font, request)) return err;
  if (font == style->font) {
    // The style holds its use of this font already.
    COutlineFont::Release(font);
    return kNoErr;
  }
  if (releaseOld) style->ReleaseFont();
  style->font = font;
  return kNoErr;
}

}  // namespace

int32_t STextStyle::SetFontById(CResourceEnv* environment, uint32_t id, bool releaseOld) {
  return BindFont(this, FontRequest(environment, id, nullptr), releaseOld);
}

int32_t STextStyle::SetFontByName(CResourceEnv* environment, const char* name, bool releaseOld) {
  return BindFont(this, FontRequest(environment, 0, name ? name : ""), releaseOld);
}

int32_t STextStyle::ReleaseFontChecked() {
  if (!font) return kNoErr;
  if (const int32_t err = COutlineFont::Release(font)) return err;
  font = nullptr;
  return kNoErr;
}

void STextStyle::ReleaseFont() { ReleaseFontChecked(); }

// ---- texts

void STextStyle::GetTextRect(SRect* out, const char* text, SFontPoint position) const {
  *out = font ? font->StyledTextRect(*this, text, position) : SRect{};
}

int32_t STextStyle::DrawText(const char* text, SFontPoint position, CImage* image) const {
  if (!font) return kNoErr;
  return font->DrawStyledText(*this, text, position, image) ? kNoErr : kErrOutOfMemory;
}

SRect COutlineFont::StyledTextRect(const STextStyle& style, const char* text, SFontPoint position) {
  const CFontData data(this);
  if (!data.IsUsable()) return {};
  const SFontMatrix& m = style.matrix;
  float d = 0;
  const float limit = style.WrapLimit();
  const SFontBox box = limit != 0.0f ? WrappedTextBounds(text, style.spacing, style.lineHeight, limit, &d)
                                     : TextBounds(text, style.spacing, style.lineHeight, &d);
  if (box.bottom <= box.top || box.left >= box.right) return {};
  const float hw = (box.right - box.left) / 2, hh = (box.bottom - box.top) / 2;
  SFontPoint p = position;
  if (style.baseline) p = Plus(p, m.Apply({0, d * style.alignV}));
  const SFontPoint c = Plus(p, m.Apply({(1 - 2 * style.alignH) * hw, (1 - 2 * style.alignV) * hh}));
  const float ex = std::max(std::fabs(m.m0 * hw + m.m1 * hh), std::fabs(m.m0 * hw - m.m1 * hh)) + 2;
  const float ey = std::max(std::fabs(m.m2 * hw + m.m3 * hh), std::fabs(m.m2 * hw - m.m3 * hh)) + 2;
  const float edges[4] = {c.v - ey, c.h - ex, c.v + ey, c.h + ex};
  for (const float e : edges) {
    if (!(std::fabs(e) < kFarthest)) return {};
  }
  return {Truncated(edges[0]), Truncated(edges[1]), Truncated(edges[2]), Truncated(edges[3])};
}

// Lines start at the line origin, which the alignment puts so that the text's ink box lies on the
// position as the rectangle says; a wrapped text aligns by its wrapped box, as the rectangle does.
bool COutlineFont::DrawStyledText(const STextStyle& style, const char* text, SFontPoint position, CImage* image) {
  if (!text) return true;
  const CFontData data(this);
  if (!data.IsUsable()) return false;
  const SFontMatrix& m = style.matrix;
  float d = 0;
  SFontBox box = TextBounds(text, style.spacing, style.lineHeight, &d);
  const float limit = style.WrapLimit();
  const bool wrapping = limit != 0.0f && box.right - box.left > limit;
  if (wrapping) box = WrappedTextBounds(text, style.spacing, style.lineHeight, limit, &d);
  const float width = box.right - box.left;
  SFontPoint origin = position;
  if (style.baseline) origin = Plus(origin, m.Apply({0, style.alignV * d}));
  origin = Minus(origin, m.Apply({box.left + style.alignH * width, box.top + style.alignV * (box.bottom - box.top)}));
  const uint32_t* colour = style.mask ? nullptr : &style.colour;
  const bool doubleByte = data.Layout().doubleByte;

  SFontPoint pen;
  float advanced = 0;
  auto startLine = [&](const char* rest) {
    const float w = wrapping ? MeasureWrappedLine(rest, style.spacing, style.lineHeight, limit)
                             : MeasureLine(rest, style.spacing, style.lineHeight);
    pen = Plus(origin, m.Apply({(width - w) * style.alignH, 0}));
    advanced = 0;
  };
  auto nextLine = [&](const char* rest) {
    origin = Plus(origin, m.Apply({0, style.lineHeight}));
    startLine(rest);
  };
  CTextCursor cursor(text, doubleByte);
  startLine(text);
  for (;;) {
    const char* before = cursor.Position();
    const uint32_t c = cursor.Next();
    if (c == CTextCursor::kEnd) return true;
    if (c == CTextCursor::kReturn) {
      nextLine(cursor.Position());
      continue;
    }
    if (c == CTextCursor::kLineFeed) continue;
    if (wrapping && c == CTextCursor::kSpace) {
      if (advanced + MeasureWord(cursor.Position(), style.spacing, style.lineHeight) > limit) {
        nextLine(cursor.Position());
        continue;
      }
    } else if (wrapping && doubleByte && advanced > 0 && advanced * m.m0 >= float(style.wrapWidth)) {
      // The line's own advance decides, never before its first character: the character starts the
      // next line.
      cursor = CTextCursor(before, doubleByte);
      nextLine(before);
      continue;
    }
    const uint32_t glyph = data.GlyphOf(c);
    if (!DrawGlyph(glyph, pen, m, image, colour, style.outline)) return false;
    const float k = data.Advance(glyph) + style.spacing;
    pen = Plus(pen, {m.m0 * k, m.m2 * k});
    advanced += k;
  }
}
