#include "framework/image/image8.h"

#include <algorithm>

#include "framework/core/appl.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "framework/image/image_display.h"
#include "framework/image/image_record.h"
#include "platform/device_context.h"

namespace {

// A rectangle placed in the plane that images share, in 64 bits so that far origins cannot overflow.
struct SPlaced {
  int64_t top, left, bottom, right;
};

SPlaced Placed(const SRect& r, int64_t h, int64_t v) { return {r.top + v, r.left + h, r.bottom + v, r.right + h}; }

SRect Unplaced(const SPlaced& r, int64_t h, int64_t v) {
  return SRect{int32_t(r.top - v), int32_t(r.left - h), int32_t(r.bottom - v), int32_t(r.right - h)};
}

}  // namespace

void MakeImage8GridSpec(SImage8Layout& layout, CSpoolSys* env, uint32_t width, uint32_t height) {
  CSpoolGrid::InitDescriptor(layout, env, sizeof(CImVector8), width, height, 0);
  layout.areaWidth = width;
  layout.areaHeight = height;
}

CImage8::CImage8(const SImage8Layout& layout)
    : CSpoolGridT<CImVector8>(layout), fArea{0, 0, int32_t(layout.areaHeight), int32_t(layout.areaWidth)} {
  InitColours();
}

CImage8::CImage8(const SImage8Layout& layout, const SSpoolTableSpec& spec)
    : CSpoolGridT<CImVector8>(layout, spec), fArea{0, 0, int32_t(layout.areaHeight), int32_t(layout.areaWidth)} {
  InitColours();
}

// The bitmap information is zero-filled: its header is written when the image is drawn.
void CImage8::InitColours() {
  for (uint32_t i = 0; i < kColours; ++i) fColors[i].value = i * 0x010101u;
  fBitmapInfo = static_cast<platform::SBitmapInfo*>(PlatformAlloc(sizeof(platform::SBitmapInfo)));
  SyncPalette();
}

// Leaves its environment while still an 8-bit image: writing it back runs the "iv08" record handler.
CImage8::~CImage8() {
  if (IsSubscribed()) Unsubscribe();
  PlatformFree(fBitmapInfo);
}

bool CImage8::Allocate(uint32_t width, uint32_t height, uint32_t rowBytes, bool keep, bool defer) {
  return CSpoolGrid::Allocate(sizeof(CImVector8), width, height, rowBytes, keep, defer);
}

void CImage8::SetColor(uint8_t index, uint32_t color, bool refresh) {
  fColors[index].value = color;
  if (refresh) SyncPalette();
}

bool CImage8::SyncPalette() {
  if (!fBitmapInfo) return false;
  for (uint32_t i = 0; i < kColours; ++i) {
    const CImVector c = fColors[i];
    fBitmapInfo->colors[i] = {c.Blue(), c.Green(), c.Red(), 0};
  }
  return true;
}

bool CImage8::ToImage32(CImage* image) {
  const SRect area = IntersectRect(fArea, GetBounds());
  const SPlaced mine = Placed(area, fOriginX, fOriginY);
  const SPlaced theirs = Placed(image->GetClip(), image->GetOriginH(), image->GetOriginV());
  const SPlaced common{std::max(mine.top, theirs.top), std::max(mine.left, theirs.left),
                       std::min(mine.bottom, theirs.bottom), std::min(mine.right, theirs.right)};
  if (common.bottom <= common.top || common.right <= common.left) return true;
  const SRect from = Unplaced(common, fOriginX, fOriginY);
  const SRect to = Unplaced(common, image->GetOriginH(), image->GetOriginV());
  CIm8Navigator in(this, &from, false, false);
  CImNavigator out(image, &to, true, false);
  if (!in.IsUsable() || !out.IsUsable()) return false;
  for (uint32_t r = 0; r < out.GetRows(); ++r) {
    const CImVector8* s = in.Cells(r);
    CImVector* d = out.Cells(r);
    for (uint32_t c = 0; c < out.GetColumns(); ++c) d[c] = fColors[s[c].value];
  }
  return true;
}

bool CImage8::Draw(platform::DeviceContext* dc, const SRect& source, const SRect& destination) {
  CIm8PlatformData data(this, false, false);
  if (!data.IsValid()) return false;
  BlitImage8(this, &data, dc, source, destination);
  return true;
}

bool CImage8::DrawTo(platform::DeviceContext* dc) { return Draw(dc, fArea, MovedRect(fArea, fOriginX, fOriginY)); }

CImage8* NewDataImage8(uint32_t width, uint32_t height, int32_t* error) {
  CAppl* app = GetApplication();
  CSpoolSys* env = app ? app->GetDataEnv() : nullptr;
  if (!env) {
    *error = kErrUnexpectedStatus;
    return nullptr;
  }
  SImage8Layout layout;
  MakeImage8GridSpec(layout, env, width, height);
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, &Image8RecordTypeHandler);
  auto* image = new CImage8(layout, spec);
  if (!image->IsValid() || !image->HasBitmapInfo()) {
    *error = NonZeroError(image->GetError());
    delete image;
    return nullptr;
  }
  *error = kNoErr;
  return image;
}
