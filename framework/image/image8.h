// 8-bit images: grids of one-byte indices into the image's own table of 256 colours. An 8-bit image
// has an origin and an area rectangle of its own, apart from the grid's, and every 8-bit operation
// works on them. It draws itself as an 8-bit bitmap whose colours are a copy of the table, taken
// when the palette is synchronised: the table can change without the drawn colours following.
#pragma once

#include <cstdint>

#include "framework/core/sg_navigator.h"
#include "framework/core/spool_grid.h"
#include "framework/image/image.h"

namespace platform {
struct DeviceContext;
struct SBitmapInfo;
}  // namespace platform

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
  static constexpr uint32_t kColours = 256;

  // The area is {0, 0, area height, area width}, the origin (0, 0), the colour table the grey ramp
  // (entry i = i · 0x010101). Without memory for the bitmap information HasBitmapInfo() is false.
  explicit CImage8(const SImage8Layout& layout);
  // Subscribes at once, unless the grid's environment is a resource environment.
  CImage8(const SImage8Layout& layout, const SSpoolTableSpec& spec);
  ~CImage8() override;

  // rowBytes 0 means width; the grid's clip becomes the whole grid, the area and origin stay.
  bool Allocate(uint32_t width, uint32_t height, uint32_t rowBytes, bool keep, bool defer);

  const SRect& GetArea() const { return fArea; }
  void SetArea(const SRect& area) { fArea = area; }
  int32_t GetAreaOriginX() const { return fOriginX; }
  int32_t GetAreaOriginY() const { return fOriginY; }
  void SetAreaOrigin(int32_t x, int32_t y) {
    fOriginX = x;
    fOriginY = y;
  }

  bool HasBitmapInfo() const { return fBitmapInfo != nullptr; }
  platform::SBitmapInfo* GetBitmapInfo() const { return fBitmapInfo; }
  uint32_t GetColor(uint8_t index) const { return fColors[index].value; }
  // With refresh the bitmap's colours follow at once (SyncPalette).
  void SetColor(uint8_t index, uint32_t color, bool refresh);
  // Copies the table into the bitmap information; false when there is none.
  bool SyncPalette();

  // Resamples the source's area into this image's with the filters of CImage::ScaleFrom.
  bool ScaleFrom(CImage8* source, int32_t mode);
  // Each pixel of the overlap of this area (placed at the 8-bit origin) and the image's clip
  // rectangle (placed at its origin) becomes the table colour of its index, all 32 bits.
  bool ToImage32(CImage* image);
  // The area at the area moved by the origin; a source rectangle at the destination's top left, not
  // stretched. Both answer false when the image cannot be locked or has no bitmap information.
  bool DrawTo(platform::DeviceContext* dc);
  bool Draw(platform::DeviceContext* dc, const SRect& source, const SRect& destination);

 private:
  void InitColours();

  int32_t fOriginX = 0;
  int32_t fOriginY = 0;
  SRect fArea;
  CImVector fColors[kColours];
  platform::SBitmapInfo* fBitmapInfo = nullptr;
};

// A new 8-bit image of width × height in the application's data environment, stored through the
// 8-bit image record; none, with the reason in *error, when it cannot be made.
CImage8* NewDataImage8(uint32_t width, uint32_t height, int32_t* error);

// Without an area it walks the 8-bit image's own area rectangle, not the grid's clip rectangle.
class CIm8Navigator : public CSgNavigatorT<CImVector8> {
 public:
  CIm8Navigator(CImage8* image, const SRect* area, bool changed, bool release, HolderFailureCallback failure = nullptr)
      : CSgNavigatorT<CImVector8>(image, area ? area : &image->GetArea(), changed, release, failure) {}
};
