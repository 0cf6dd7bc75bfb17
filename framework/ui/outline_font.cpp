#include "framework/ui/outline_font.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/cm_file.h"
#include "framework/core/ix_loader.h"
#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "framework/ui/glyph_scan.h"
#include "framework/ui/outline_font_data.h"

namespace {

constexpr char kTagAndVersion[] = "outf0100";
constexpr uint32_t kDoubleByteFlag = 1;
constexpr uint32_t kReservedOffset = 36;

// Fonts alive in the process: the scan conversion's scratch buffers live while there are any.
uint32_t gLivingFonts = 0;

bool Fail(CSpoolMem* object, int32_t error) {
  object->SetError(error);
  return false;
}

// 0 for an open and ready resource environment, else 16 (missing or not usable) or 14.
int32_t CheckFontEnvironment(const CSpoolSys* env) {
  if (!env || !env->IsReady()) return kErrInvalidParameter;
  if (env->GetKind() != kResourceKind) return kErrUnexpectedType;
  return static_cast<const CResourceEnv*>(env)->IsOpen() ? kNoErr : kErrInvalidParameter;
}

// Turns around the words (of `size` bytes) of [first, first + count × size) that lie within the data.
void SwapRun(uint8_t* data, uint64_t dataSize, uint64_t first, uint64_t count, uint32_t size) {
  for (uint64_t at = first; count && at + size <= dataSize; at += size, --count) {
    if (size == 4) {
      uint32_t word = 0;
      std::memcpy(&word, data + at, 4);
      word = SwapLong(word);
      std::memcpy(data + at, &word, 4);
    } else {
      uint16_t half = 0;
      std::memcpy(&half, data + at, 2);
      half = SwapShort(half);
      std::memcpy(data + at, &half, 2);
    }
  }
}

void Widen(SFontBox* box, const SFontBox& more) {
  box->top = std::min(box->top, more.top);
  box->left = std::min(box->left, more.left);
  box->bottom = std::max(box->bottom, more.bottom);
  box->right = std::max(box->right, more.right);
}

SFontBox BoundsOf(const CFontData& data, uint32_t glyph, SFontPoint offset, const SFontMatrix& matrix) {
  const uint32_t first = data.FirstPoint(glyph);
  if (first >= data.Layout().points) return {};
  auto mapped = [&](uint32_t i) {
    const SFontPoint p = matrix.Apply(data.Point(i));
    return SFontPoint{p.h + offset.h, p.v + offset.v};
  };
  const SFontPoint start = mapped(first);
  SFontBox box{start.v, start.h, start.v, start.h};
  const uint32_t last = data.GlyphEnd(first);
  for (uint32_t i = first + 1; i <= last; ++i) {
    const SFontPoint p = mapped(i);
    Widen(&box, {p.v, p.h, p.v, p.h});
  }
  return box;
}

// How far a walk over a text goes.
enum class EExtent { kWord, kLine, kText };

struct SMeasured {
  SFontBox ink;
  bool inked = false;
  float descent = 0.0f;
};

SMeasured Measure(const CFontData& data, const char* text, float spacing, float lineHeight, EExtent extent,
                  const float* wrapWidth);

float WordWidth(const CFontData& data, const char* text, float spacing, float lineHeight) {
  const SMeasured word = Measure(data, text, spacing, lineHeight, EExtent::kWord, nullptr);
  return word.inked ? word.ink.right - word.ink.left : 0.0f;
}

// The pen starts at (0, 0), a glyph's box is taken at the pen and the pen moves on by the glyph's
// advance and the spacing; a line ends at 13 and, with a wrap width, at a space after which the next
// word would pass the width.
SMeasured Measure(const CFontData& data, const char* text, float spacing, float lineHeight, EExtent extent,
                  const float* wrapWidth) {
  SMeasured out;
  SFontPoint pen;
  CTextCursor cursor(text, data.Layout().doubleByte);
  auto newLine = [&] {
    pen = {0.0f, pen.v + lineHeight};
    out.descent = 0.0f;
  };
  for (uint32_t c = cursor.Next(); c != CTextCursor::kEnd; c = cursor.Next()) {
    if (c == CTextCursor::kReturn) {
      if (extent != EExtent::kText) break;
      newLine();
      continue;
    }
    if (c == CTextCursor::kSpace) {
      if (extent == EExtent::kWord) break;
      if (wrapWidth && pen.h + WordWidth(data, cursor.Position(), spacing, lineHeight) > *wrapWidth) {
        if (extent != EExtent::kText) break;
        newLine();
        continue;
      }
    }
    const uint32_t glyph = data.GlyphOf(c);
    const SFontBox box = BoundsOf(data, glyph, pen, SFontMatrix{});
    if (out.inked) Widen(&out.ink, box);
    else out.ink = box;
    out.inked = true;
    out.descent = std::max(out.descent, box.bottom - pen.v);
    pen.h += data.Advance(glyph) + spacing;
  }
  if (!out.inked) out = SMeasured{};
  return out;
}

float InkWidth(COutlineFont* font, const char* text, float spacing, float lineHeight, EExtent extent,
               const float* wrapWidth) {
  CFontData data(font);
  if (!data.IsUsable()) return 0.0f;
  const SMeasured measured = Measure(data, text, spacing, lineHeight, extent, wrapWidth);
  return measured.ink.right - measured.ink.left;
}

SFontBox InkBox(COutlineFont* font, const char* text, float spacing, float lineHeight, const float* wrapWidth,
                float* descent) {
  *descent = 0.0f;
  CFontData data(font);
  if (!data.IsUsable()) return {};
  const SMeasured measured = Measure(data, text, spacing, lineHeight, EExtent::kText, wrapWidth);
  *descent = measured.descent;
  return measured.ink;
}

// One try in one environment; 6 sends the caller on to the application's resource environment.
int32_t AcquireIn(CSpoolSys* env, SSpoolKey key, COutlineFont** font) {
  if (const int32_t err = CheckFontEnvironment(env)) return err;
  auto* resources = static_cast<CResourceEnv*>(env);
  CResEntry entry{};
  if (!resources->GetResourceInfo(key, &entry)) return NonZeroError(resources->GetLastResult());
  // Shared by the resource's number, whether it was asked for by number or by name.
  key.id = entry.number;
  key.byName = 0;
  key.fallback = 0;
  key.isNew = 0;
  char name[sizeof entry.name + 1] = {};
  std::memcpy(name, entry.name, sizeof entry.name);
  CopyCString(key.name, name, sizeof key.name);
  int32_t err = kNoErr;
  if ((*font = static_cast<COutlineFont*>(TakeSharedResource(*resources, key, &err))) || err) return err;
  auto* made = new COutlineFont(resources);
  if (!made) return kErrOutOfMemory;
  if (!made->IsValid()) {
    delete made;
    return kErrFailedCreation;
  }
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, &COutlineFont::HandleSpoolMessage);
  if (!made->Subscribe(spec)) {
    err = NonZeroError(made->GetError());
    delete made;
    return err;
  }
  // Paged in once before it is shared: data the handler refuses never reaches the cache.
  if (!made->Lock()) {
    err = NonZeroError(made->GetError());
    delete made;
    return err;
  }
  made->Unlock(false, false);
  const CSharedEntry row{made, 1};
  if (!resources->GetSharedTable()->Append(&row)) {
    delete made;
    return kErrExpansion;
  }
  *font = made;
  return kNoErr;
}

}  // namespace

// ---- life

COutlineFont::COutlineFont(CSpoolSys* environment) : CSubscriber(SSpoolLayout{environment, 0, 0}) {
  ++gLivingFonts;
  if (IsValid() && !ScanBuffersExist() && !CreateScanBuffers()) Refuse(kErrFailedCreation);
}

COutlineFont::~COutlineFont() {
  if (gLivingFonts && --gLivingFonts == 0) DestroyScanBuffers();
  fNotLoaded = true;
}

void COutlineFont::SetRecord(uint32_t points, uint32_t glyphs, const SFontBox& box, bool doubleByte) {
  fPoints = points;
  fGlyphs = glyphs;
  fBox = box;
  fDoubleByte = doubleByte;
}

// ---- the cache

int32_t COutlineFont::Acquire(COutlineFont** font, const SIndexedRef& request) {
  *font = nullptr;
  CAppl* app = GetApplication();
  CResourceEnv* fallback = app ? app->GetResourceEnv() : nullptr;
  SSpoolKey key = request.key;
  CopyCString(key.typeName, kOutlineFontType, sizeof key.typeName);
  CSpoolSys* env = request.environment;
  for (;;) {
    const int32_t err = AcquireIn(env, key, font);
    if (err != kErrObjectNotFound || !request.withFallback || !fallback || fallback == env) return err;
    env = fallback;
  }
}

int32_t COutlineFont::Release(COutlineFont* font) {
  if (!font) return kErrInvalidParameter;
  if (font->GetLockCount()) return kErrObjectInUse;
  if (const int32_t err = CheckFontEnvironment(font->GetEnvironment())) return err;
  return ReleaseIndexedResource(font);
}

// ---- the record and the data block

uint32_t COutlineFont::HandleSpoolMessage(CSpoolMem* object, uint32_t message, void* argument) {
  auto* font = static_cast<COutlineFont*>(object);
  switch (message) {
    case kSpoolAfterRead: return font->SwapData() && font->CheckData();
    case kSpoolBeforeWrite:
    case kSpoolAfterWrite: return font->SwapData();
    case kSpoolApplyHeader: return font->ReadRecord(*static_cast<CMemBlock*>(argument));
    case kSpoolFillHeader: return font->WriteRecord(*static_cast<CMemBlock*>(argument));
    case kSpoolHeaderSize: *static_cast<uint32_t*>(argument) = kRecordBytes; return 1;
    default: return SpoolDefaultTypeHandler(object, message, argument);
  }
}

// The data block must hold every part the counts promise: nothing reads past it afterwards.
bool COutlineFont::ReadRecord(const CMemBlock& record) {
  CByteReader in(record.GetData(), record.GetSize());
  char tag[8] = {};
  uint32_t words[7] = {};
  if (!in.ReadBytes(tag, sizeof tag)) return Fail(this, kErrInvalidFormat);
  for (uint32_t& word : words) {
    if (!in.ReadBE32(&word)) return Fail(this, kErrInvalidFormat);
  }
  if (std::memcmp(tag, kTagAndVersion, sizeof tag) != 0) return Fail(this, kErrInvalidFormat);
  const SFontBox box{std::bit_cast<float>(words[2]), std::bit_cast<float>(words[3]), std::bit_cast<float>(words[4]),
                     std::bit_cast<float>(words[5])};
  const SOutlineFontLayout layout{words[1], words[0], (words[6] & kDoubleByteFlag) != 0};
  if (!(box.top < box.bottom) || !(box.left < box.right) || layout.glyphs > kMaxGlyphs || layout.glyphs == 0 ||
      layout.points == 0)
    return Fail(this, kErrInvalidParameter);
  const uint32_t stored = IsBacked() ? GetFile()->GetEntryField(uint32_t(GetDataEntry())) : 0;
  if (stored < layout.Bytes()) return Fail(this, kErrInvalidParameter);
  SetRecord(layout.points, layout.glyphs, box, layout.doubleByte);
  if (!Resize(stored, false, true)) return false;
  fNotLoaded = false;
  return true;
}

bool COutlineFont::WriteRecord(CMemBlock& record) const {
  if (record.GetSize() < kRecordBytes) return false;
  uint8_t* out = record.GetData();
  std::memset(out, 0, kRecordBytes);
  std::memcpy(out, kTagAndVersion, 8);
  const uint32_t words[7] = {fPoints,
                             fGlyphs,
                             std::bit_cast<uint32_t>(fBox.top),
                             std::bit_cast<uint32_t>(fBox.left),
                             std::bit_cast<uint32_t>(fBox.bottom),
                             std::bit_cast<uint32_t>(fBox.right),
                             fDoubleByte ? kDoubleByteFlag : 0};
  for (uint32_t i = 0; i < 7; ++i) StoreBE32(out + 8 + 4 * i, words[i]);
  static_assert(8 + 4 * 7 == kReservedOffset);
  return true;
}

// Only resource environments hold the data in its stored order. A block shorter than its counts
// say (which only a writer makes; reading refuses it) is turned around as far as it goes.
bool COutlineFont::SwapData() {
  const CSpoolSys* env = GetEnvironment();
  if (!env || env->GetKind() != kResourceKind || !GetData()) return true;
  const SOutlineFontLayout layout = GetLayout();
  uint8_t* data = GetData();
  const uint64_t size = GetDataSize();
  SwapRun(data, size, layout.FirstPoints(), 2 * uint64_t(layout.glyphs), 4);
  SwapRun(data, size, layout.Points(), 2 * uint64_t(layout.points), 4);
  if (layout.doubleByte) SwapRun(data, size, layout.WideMap(), kMaxGlyphs, 2);
  return true;
}

// Every glyph's walk ends at the last point, which ends the glyph; every number is finite. 0 or the
// code the page-in fails with.
int32_t CheckedData(COutlineFont* font) {
  const CFontData data(font);
  if (!data.IsUsable()) return kErrInvalidParameter;
  const SOutlineFontLayout& layout = data.Layout();
  if (!(data.Flags(layout.points - 1) & COutlineFont::kGlyphEnd)) return kErrInvalidFormat;
  for (uint32_t g = 0; g < layout.glyphs; ++g) {
    if (data.FirstPoint(g) >= layout.points || !std::isfinite(data.Advance(g))) return kErrInvalidFormat;
  }
  for (uint32_t i = 0; i < layout.points; ++i) {
    const SFontPoint p = data.Point(i);
    if (!std::isfinite(p.h) || !std::isfinite(p.v)) return kErrInvalidFormat;
  }
  return kNoErr;
}

// The code is set once the check's own lock is gone: unlocking clears it.
bool COutlineFont::CheckData() {
  const int32_t err = CheckedData(this);
  return err ? Fail(this, err) : true;
}

// ---- glyphs and measuring

uint32_t COutlineFont::GlyphOf(uint32_t code) {
  const CFontData data(this);
  return data.IsUsable() ? data.GlyphOf(code) : 0;
}

float COutlineFont::GlyphAdvance(uint32_t glyph) {
  const CFontData data(this);
  return data.IsUsable() ? data.Advance(glyph) : 0.0f;
}

SFontBox COutlineFont::GlyphBounds(uint32_t glyph, SFontPoint offset, const SFontMatrix& matrix) {
  const CFontData data(this);
  return data.IsUsable() ? BoundsOf(data, glyph, offset, matrix) : SFontBox{};
}

float COutlineFont::MeasureWord(const char* text, float spacing, float lineHeight) {
  return InkWidth(this, text, spacing, lineHeight, EExtent::kWord, nullptr);
}

float COutlineFont::MeasureLine(const char* text, float spacing, float lineHeight) {
  return InkWidth(this, text, spacing, lineHeight, EExtent::kLine, nullptr);
}

float COutlineFont::MeasureWrappedLine(const char* text, float spacing, float lineHeight, float width) {
  return InkWidth(this, text, spacing, lineHeight, EExtent::kLine, &width);
}

SFontBox COutlineFont::TextBounds(const char* text, float spacing, float lineHeight, float* descent) {
  return InkBox(this, text, spacing, lineHeight, nullptr, descent);
}

SFontBox COutlineFont::WrappedTextBounds(const char* text, float spacing, float lineHeight, float width,
                                         float* descent) {
  return InkBox(this, text, spacing, lineHeight, &width, descent);
}
