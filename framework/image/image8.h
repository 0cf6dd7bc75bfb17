// 8-bit images: grids of one-byte colour indices with an origin and an area rectangle of their own,
// apart from the grid's, on which all 8-bit operations work.
//
// Placeholder until the 8-bit images are built: the grid, its origin, its area and its navigator;
// the colour table, the bitmap for drawing, the stored record, scaling and drawing come with them.
#pragma once

#include <cstdint>

#include "framework/core/sg_navigator.h"
#include "framework/core/spool_grid.h"

// The spool type of 8-bit images.
inline constexpr const char* kImage8Type = "ImageIV8";

// One pixel: an index into the image's colour table.
struct CImVector8 {
  uint8_t value = 0;
};
static_assert(sizeof(CImVector8) == 1);

// The 32-bit grid layout with cells of one byte, and the area's size.
struct SImage8Layout : SGridLayout {
  uint32_t areaWidth = 0;
  uint32_t areaHeight = 0;
};

void MakeImage8GridSpec(SImage8Layout& layout, CSpoolSys* env, uint32_t width, uint32_t height);

class CImage8 : public CSpoolGridT<CImVector8> {
 public:
  // The area is {0, 0, area height, area width}; the origin (0, 0).
  explicit CImage8(const SImage8Layout& layout);
  CImage8(const SImage8Layout& layout, const SSpoolTableSpec& spec);

  const SRect& GetArea() const { return fArea; }
  void SetArea(const SRect& area) { fArea = area; }
  int32_t GetAreaOriginX() const { return fOriginX; }
  int32_t GetAreaOriginY() const { return fOriginY; }
  void SetAreaOrigin(int32_t x, int32_t y) {
    fOriginX = x;
    fOriginY = y;
  }

 private:
  int32_t fOriginX = 0;
  int32_t fOriginY = 0;
  SRect fArea;
};

// Without an area it walks the 8-bit image's own area rectangle, not the grid's clip rectangle.
class CIm8Navigator : public CSgNavigatorT<CImVector8> {
 public:
  CIm8Navigator(CImage8* image, const SRect* area, bool changed, bool release, HolderFailureCallback failure = nullptr)
      : CSgNavigatorT<CImVector8>(image, area ? area : &image->GetArea(), changed, release, failure) {}
};
