#include "framework/core/spool_grid.h"

#include <algorithm>

#include "framework/core/result_codes.h"

namespace {

// Row bytes and data bytes of a grid, or an error when they do not fit: sides beyond 31 bits (the
// clip rectangle is signed), data beyond 32 bits, or a stride shorter than a row.
struct SGridBytes {
  uint32_t stride = 0;
  uint32_t bytes = 0;
  int32_t error = kNoErr;
};

SGridBytes MeasureGrid(uint32_t cellSize, uint32_t width, uint32_t height, uint32_t stride) {
  SGridBytes result;
  const uint64_t row = uint64_t(cellSize) * width;
  const uint64_t rowBytes = stride ? stride : row;
  if (width > INT32_MAX || height > INT32_MAX || row > UINT32_MAX || rowBytes < row ||
      rowBytes * height > UINT32_MAX) {
    result.error = kErrInvalidSize;
    return result;
  }
  result.stride = uint32_t(rowBytes);
  result.bytes = uint32_t(rowBytes * height);
  return result;
}

// A clip rectangle placed at its grid's origin, in 64 bits so that far origins cannot overflow.
struct SPlaced {
  int64_t top, left, bottom, right;
};

SPlaced Placed(const CSpoolGrid& grid) {
  const SRect& c = grid.GetClip();
  const int64_t h = grid.GetOriginH();
  const int64_t v = grid.GetOriginV();
  return {c.top + v, c.left + h, c.bottom + v, c.right + h};
}

SPlaced Intersect(const SPlaced& a, const SPlaced& b) {
  return {std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom), std::min(a.right, b.right)};
}

bool IsEmpty(const SPlaced& r) { return r.bottom <= r.top || r.right <= r.left; }

// The common area is inside every clip rectangle, so it fits 32 bits in each grid's coordinates.
SRect InGrid(const SPlaced& r, const CSpoolGrid& grid) {
  const int64_t h = grid.GetOriginH();
  const int64_t v = grid.GetOriginV();
  return SRect{int32_t(r.top - v), int32_t(r.left - h), int32_t(r.bottom - v), int32_t(r.right - h)};
}

}  // namespace

bool SGridLayout::UpdateByteSize() {
  const SGridBytes measured = MeasureGrid(cellSize, width, height, stride);
  byteSize = measured.error ? UINT32_MAX : measured.bytes;
  return measured.error == kNoErr;
}

CSpoolGrid::CSpoolGrid(const SGridLayout& layout) : CSpoolGrid(layout, nullptr) {}

CSpoolGrid::CSpoolGrid(const SGridLayout& layout, const SSpoolTableSpec& spec) : CSpoolGrid(layout, &spec) {}

CSpoolGrid::CSpoolGrid(const SGridLayout& layout, const SSpoolTableSpec* spec) : CSubscriber(layout) {
  const SGridBytes measured = MeasureGrid(layout.cellSize, layout.width, layout.height, layout.stride);
  if (measured.error) {
    SetLayout(0, GetPool(), layout.headerBytes);
    Refuse(measured.error);
    return;
  }
  fCellSize = layout.cellSize;
  fWidth = layout.width;
  fStride = measured.stride;
  fHeight = layout.height;
  fClip = GetBounds();
  SetLayout(measured.bytes, GetPool(), layout.headerBytes);
  if (spec) SubscribeOnCreation(*spec);
}

void CSpoolGrid::InitDescriptor(SGridLayout& layout, CSpoolSys* env, uint32_t cellSize, uint32_t width,
                                uint32_t height, uint32_t stride) {
  layout.environment = env;
  layout.headerBytes = 0;
  layout.cellSize = cellSize;
  layout.width = width;
  layout.height = height;
  layout.stride = stride;
  layout.UpdateByteSize();
}

bool CSpoolGrid::Allocate(uint32_t cellSize, uint32_t width, uint32_t height, uint32_t stride, bool keep,
                          bool defer) {
  const SGridBytes measured = MeasureGrid(cellSize, width, height, stride);
  if (measured.error) {
    SetError(measured.error);
    return false;
  }
  if (!Resize(measured.bytes, keep, defer)) return false;
  fCellSize = cellSize;
  fWidth = width;
  fStride = measured.stride;
  fHeight = height;
  fClip = GetBounds();
  return true;
}

bool CSpoolGrid::SetClip(const SRect& rect) {
  fClip = IntersectRect(rect, GetBounds());
  return fClip.bottom > fClip.top && fClip.right > fClip.left;
}

void CSpoolGrid::SetOrigin(int32_t horizontal, int32_t vertical) {
  fOriginH = horizontal;
  fOriginV = vertical;
}

bool CSpoolGrid::CommonArea(const CSpoolGrid& other, SRect* inThis, SRect* inOther) const {
  const SPlaced common = Intersect(Placed(*this), Placed(other));
  const bool found = !IsEmpty(common);
  *inThis = found ? InGrid(common, *this) : SRect{};
  *inOther = found ? InGrid(common, other) : SRect{};
  return found;
}

bool CSpoolGrid::CommonArea3(const CSpoolGrid& second, const CSpoolGrid& third, SRect* inThis, SRect* inSecond,
                             SRect* inThird) const {
  const SPlaced common = Intersect(Intersect(Placed(*this), Placed(second)), Placed(third));
  const bool found = !IsEmpty(common);
  *inThis = found ? InGrid(common, *this) : SRect{};
  *inSecond = found ? InGrid(common, second) : SRect{};
  *inThird = found ? InGrid(common, third) : SRect{};
  return found;
}

CSgStSaver::CSgStSaver(CSpoolGrid* grid) : fGrid(grid) {
  if (!grid) return;
  fOriginH = grid->GetOriginH();
  fOriginV = grid->GetOriginV();
  fClip = grid->GetClip();
}

CSgStSaver::CSgStSaver(CSpoolGrid* grid, int32_t originH, int32_t originV, bool reset) : CSgStSaver(grid) {
  if (!grid) return;
  grid->SetOrigin(originH, originV);
  if (reset) grid->ClipToBounds();
}

void CSgStSaver::Restore() {
  if (!fGrid) return;
  fGrid->SetOrigin(fOriginH, fOriginV);
  fGrid->SetClip(fClip);
}

CSgAcSaver::CSgAcSaver(CSpoolGrid* grid, const SRect& placed) : fGrid(grid) {
  if (!grid) return;
  fClip = grid->GetClip();
  if (placed.bottom <= placed.top || placed.right <= placed.left) return;
  const int64_t h = grid->GetOriginH(), v = grid->GetOriginV();
  // Cut to 32 bits first: SetClip cuts to the grid anyway.
  auto cut = [](int64_t x) { return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)); };
  grid->SetClip(SRect{cut(placed.top - v), cut(placed.left - h), cut(placed.bottom - v), cut(placed.right - h)});
}

CSgAcSaver::~CSgAcSaver() {
  if (fGrid) fGrid->SetClip(fClip);
}

SRect IntersectRect(const SRect& a, const SRect& b) {
  return SRect{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
               std::min(a.right, b.right)};
}

void MakeImageGridSpec(SGridLayout& layout, CSpoolSys* env, uint32_t width, uint32_t height) {
  CSpoolGrid::InitDescriptor(layout, env, 4, width, height, 0);
}
