#include "framework/image/image_display.h"

#include <algorithm>

#include "framework/core/spool_grid.h"
#include "framework/core/system_info.h"
#include "framework/image/image.h"
#include "framework/image/image8.h"

namespace {

constexpr uint32_t kDrawDibDepth = 8;

bool gTestEightBit = false;

bool IsEmpty(const SRect& r) { return r.bottom <= r.top || r.right <= r.left; }

// Displays of more than 8 bits, or without DrawDib, take top-down bitmaps as they are.
bool DrawsThroughDrawDib() {
  const CSystemInfo& info = CSystemInfo::Get();
  return gTestEightBit || (info.GetScreenDepth() <= kDrawDibDepth && info.GetDrawDib());
}

int32_t Clamped(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The part of `whole` that corresponds to `part` of `of`, stretched as `whole` stretches `of`.
SRect Corresponding(const SRect& part, const SRect& of, const SRect& whole) {
  const int64_t sw = int64_t(of.right) - of.left, sh = int64_t(of.bottom) - of.top;
  const int64_t dw = int64_t(whole.right) - whole.left, dh = int64_t(whole.bottom) - whole.top;
  return SRect{int32_t(whole.top + (int64_t(part.top) - of.top) * dh / sh),
               int32_t(whole.left + (int64_t(part.left) - of.left) * dw / sw),
               int32_t(whole.top + (int64_t(part.bottom) - of.top) * dh / sh),
               int32_t(whole.left + (int64_t(part.right) - of.left) * dw / sw)};
}

}  // namespace

SRect MovedRect(const SRect& r, int64_t dx, int64_t dy) {
  return SRect{Clamped(r.top + dy), Clamped(r.left + dx), Clamped(r.bottom + dy), Clamped(r.right + dx)};
}

void SetTestEightBitDisplay(bool eightBit) { gTestEightBit = eightBit; }

CImPlatformData::CImPlatformData(CImage* image, bool changed, bool release, HolderFailureCallback failure)
    : fHolder(image, changed, release, failure), fImage(image) {
  if (!fHolder.IsDataUsable()) return;
  // Rows as the grid lays them out, so that padded rows stay aligned.
  fHeader.width = int32_t(image->GetStride() / image->GetCellSize());
  fHeader.height = -int32_t(image->GetHeight());
  fHeader.bitCount = uint16_t(image->GetCellSize() * 8);
  fValid = true;
}

CImPlatformData::~CImPlatformData() {
  fValid = false;
  fHolder.Release();
}

CImFlipGuard::CImFlipGuard(CImage* image, const SRect* area) {
  if (!image->IsReady()) return;
  fNavigator = new CImNavigator(image, area, false, false);
  if (fNavigator && !fNavigator->IsUsable()) {
    delete fNavigator;
    fNavigator = nullptr;
  }
  Flip();
}

CImFlipGuard::~CImFlipGuard() {
  Flip();
  delete fNavigator;
}

void CImFlipGuard::Flip() {
  if (!fNavigator) return;
  const uint32_t rows = fNavigator->GetRows();
  for (uint32_t i = 0; i + 1 < rows - i; ++i) {
    CImVector* a = fNavigator->Cells(i);
    std::swap_ranges(a, a + fNavigator->GetColumns(), fNavigator->Cells(rows - 1 - i));
  }
}

void BlitImage(CImage* image, CImPlatformData* data, platform::DeviceContext* dc, const SRect& source,
               const SRect& destination) {
  const SRect cut = IntersectRect(source, image->GetBounds());
  if (IsEmpty(cut) || IsEmpty(destination)) return;
  const SRect to = Corresponding(cut, source, destination);
  if (IsEmpty(to)) return;
  const uint8_t* bits = image->GetData() + uint64_t(cut.top) * image->GetStride() +
                        uint64_t(cut.left) * image->GetCellSize();
  platform::SBitmapInfoHeader& header = data->GetHeader();
  const int32_t savedHeight = header.height;
  const int32_t columns = cut.right - cut.left, rows = cut.bottom - cut.top;
  auto blit = [&] {
    platform::StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, columns, rows, bits,
                            &header, platform::kDibRgbColors, platform::kSrcCopy);
  };
  if (!DrawsThroughDrawDib()) {
    header.height = -rows;
    blit();
  } else {
    // DrawDib reads bottom-up rows; here the same blit stands in for it.
    CImFlipGuard flipped(image, &cut);
    header.height = rows;
    blit();
  }
  header.height = savedHeight;
  platform::GdiFlush();
}

CIm8PlatformData::CIm8PlatformData(CImage8* image, bool changed, bool release, HolderFailureCallback failure)
    : fHolder(image, changed, release, failure), fInfo(image->GetBitmapInfo()), fImage(image) {
  if (!fInfo || !fHolder.IsDataUsable()) return;
  // A row of an 8-bit block takes a multiple of 4 bytes: grids with other strides are drawn a row at a
  // time (BlitImage8).
  fInfo->header = platform::SBitmapInfoHeader{};
  fInfo->header.width = int32_t(image->GetStride());
  fInfo->header.height = -int32_t(image->GetHeight());
  fInfo->header.bitCount = 8;
  fValid = true;
}

CIm8PlatformData::~CIm8PlatformData() {
  fValid = false;
  fHolder.Release();
}

void BlitImage8(CImage8* image, CIm8PlatformData* data, platform::DeviceContext* dc, const SRect& source,
                const SRect& destination) {
  const SRect cut = IntersectRect(source, image->GetBounds());
  if (IsEmpty(cut)) return;
  const int32_t x = Clamped(int64_t(destination.left) - source.left + cut.left);
  const int32_t y = Clamped(int64_t(destination.top) - source.top + cut.top);
  const int32_t columns = cut.right - cut.left, rows = cut.bottom - cut.top;
  platform::SBitmapInfoHeader& header = data->GetBitmapInfo()->header;
  const uint32_t stride = image->GetStride();
  if (stride % 4 == 0) {
    platform::StretchDIBits(dc, x, y, columns, rows, cut.left, cut.top, columns, rows, image->GetData(), &header,
                            platform::kDibRgbColors, platform::kSrcCopy);
  } else {
    const int32_t savedHeight = header.height;
    header.height = -1;
    for (int32_t r = 0; r < rows; ++r) {
      const uint8_t* row = image->GetData() + uint64_t(cut.top + r) * stride;
      platform::StretchDIBits(dc, x, Clamped(int64_t(y) + r), columns, 1, cut.left, 0, columns, 1, row, &header,
                              platform::kDibRgbColors, platform::kSrcCopy);
    }
    header.height = savedHeight;
  }
  platform::GdiFlush();
}

bool CImage::Draw(platform::DeviceContext* dc, const SRect& source, const SRect& destination) {
  CImPlatformData data(this, false, false);
  if (!data.IsValid()) return false;
  BlitImage(this, &data, dc, source, destination);
  return true;
}

bool CImage::DrawTo(platform::DeviceContext* dc) {
  const SRect& clip = GetClip();
  return Draw(dc, clip, MovedRect(clip, GetOriginH(), GetOriginV()));
}

bool CImage::DrawAt(platform::DeviceContext* dc, int32_t x, int32_t y) {
  const SRect& clip = GetClip();
  return Draw(dc, clip, MovedRect(SRect{0, 0, clip.bottom - clip.top, clip.right - clip.left}, x, y));
}

bool CImage::DrawRect(platform::DeviceContext* dc, const SRect& rect) { return Draw(dc, rect, rect); }
