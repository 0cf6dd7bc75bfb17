// 32-bit images: pixel grids of CImVector cells on spooled storage. Pixels are reached only through
// navigators, which hold the grid locked for one operation; the clip rectangle bounds every
// operation, and the origin places the image among others so that two or three images can be worked
// on over their common area.
//
// Mixing factors run from 0 (this image unchanged) to 256 (the other value); a factor outside that
// range counts as the nearer end.
#pragma once

#include <cstdint>

#include "framework/core/sg_navigator.h"
#include "framework/core/spool_grid.h"

class CSpGradient;

namespace platform {
struct DeviceContext;
}

// The spool type of 32-bit images.
inline constexpr const char* kImageType = "ImageIV32ARGB";

// One pixel: alpha (or a tag) in the top byte, then red, green and blue; in memory blue comes first.
struct CImVector {
  uint32_t value = 0;

  void Set(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    value = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  }
  uint8_t Alpha() const { return uint8_t(value >> 24); }
  uint8_t Red() const { return uint8_t(value >> 16); }
  uint8_t Green() const { return uint8_t(value >> 8); }
  uint8_t Blue() const { return uint8_t(value); }
};
static_assert(sizeof(CImVector) == 4);

class CImage : public CSpoolGridT<CImVector> {
 public:
  explicit CImage(const SGridLayout& grid);
  // Subscribes at once, unless the grid's environment is a resource environment.
  CImage(const SGridLayout& grid, const SSpoolTableSpec& spec);
  ~CImage() override;

  // rowBytes 0 means width × 4; the clip rectangle becomes the whole grid.
  bool Allocate(uint32_t width, uint32_t height, uint32_t rowBytes, bool keep, bool defer);
  using CSpoolGrid::GetBounds;
  void GetBounds(SRect* rect) const { *rect = CSpoolGrid::GetBounds(); }
  // The clip rectangle moved by the origin: where the image's working area lies among others.
  SRect GetPlacedBounds() const {
    const SRect& c = GetClip();
    return SRect{c.top + GetOriginV(), c.left + GetOriginH(), c.bottom + GetOriginV(), c.right + GetOriginH()};
  }
  // Valid, and its backing file (when it has one) open.
  bool IsReady() const;

  // A new image the size of the bitmap, filled from it; none when the bitmap is refused (more than
  // 16384 pixels each way among the reasons) or the image cannot be made (a half-made one is
  // deleted). length: the bytes the bitmap may use.
  static CImage* CreateFromDib(const SGridLayout& grid, const SSpoolTableSpec* spec, const void* dib, uint32_t length,
                               bool makeOpaque);

  // Each operation answers true when done or when there is nothing to do (an empty clip rectangle or
  // overlap, a factor of 0), false when an image cannot be locked. Two-image operations work on the
  // overlap of the clip rectangles placed at the origins; this image is the one written.
  bool SetAlpha(uint8_t alpha);
  bool Fill(uint32_t value);
  bool SetColorKeepAlpha(uint32_t color);
  bool InvertAlpha();
  bool InvertColor();
  bool ToGrey();
  bool CopyFrom(CImage* source);
  bool CopyColorFrom(CImage* source);
  // The source's top bytes alone; this image's colours stay.
  bool CopyAlphaFrom(CImage* source);
  // The source's top byte and its grey level in red, green and blue.
  bool CopyGreyFrom(CImage* source);
  // Colour channels toward the colour by factor; the top byte becomes 0.
  bool BlendColor(int32_t factor, uint32_t color);
  // The source over this image by the source's top byte, all four bytes mixed.
  bool CompositeFrom(CImage* source);
  // Colour channels toward the source by factor; the top byte becomes 0 (kept by BlendColorFrom).
  bool BlendFrom(int32_t factor, CImage* source);
  bool BlendColorFrom(int32_t factor, CImage* source);
  // As CompositeFrom with the source's top byte scaled by factor.
  bool CompositeScaledFrom(int32_t factor, CImage* source);
  // A mixed toward B by factor over the overlap of all three images; the top byte becomes 0.
  bool MixFrom(int32_t factor, CImage* a, CImage* b);
  // The mask holds one byte m per pixel of this image, four to a cell, the first in the cell's top
  // byte; colours scale by 255 − m and the top byte becomes 0, except that a cell of 0 leaves its
  // four pixels alone. The mask's whole grid counts, placed at its origin.
  bool DarkenByMask(CImage* mask);
  // As DarkenByMask with m scaled by factor.
  bool DarkenByMaskScaled(int32_t factor, CImage* mask);
  // Uncompressed bottom-up 24- and 32-bit bitmaps whose header, colours and rows lie within length;
  // the clip rectangle's area is filled from the bitmap's last row up. Refused before the image is
  // touched.
  bool FromDib(const void* dib, uint32_t length, bool makeOpaque);
  // Makes the image opaque when a sample of its pixels shows no alpha at all.
  bool EnsureAlpha();
  // Colour := entry g of the gradient's 256-colour table, g being the pixel's green byte; the top
  // byte is kept. False also when the gradient cannot be locked.
  bool ApplyGradientMap(CSpGradient* gradient);
  // ApplyGradientMap with a gradient from black through the colour to white, made for the call in
  // the application's spool environment; false when it cannot be made.
  bool TintWithColor(uint32_t color);

  // Resamples the source's clip area into this image's: mode 0 takes the nearest pixels, mode 1
  // averages boxes when shrinking by 2 or more each way and filters bilinearly otherwise. Equal sizes
  // copy whatever the mode; any other mode answers false and changes nothing.
  bool ScaleFrom(CImage* source, int32_t mode);

  // Drawing into a device context (image_display.cpp): the clip area at the origin, the clip area at
  // a point, a rectangle at its own place, and a source rectangle into a destination rectangle.
  bool DrawTo(platform::DeviceContext* dc);
  bool DrawAt(platform::DeviceContext* dc, int32_t x, int32_t y);
  bool DrawRect(platform::DeviceContext* dc, const SRect& rect);
  bool Draw(platform::DeviceContext* dc, const SRect& source, const SRect& destination);
};

class CImNavigator : public CSgNavigatorT<CImVector> {
 public:
  CImNavigator(CImage* image, const SRect* area, bool changed, bool release, HolderFailureCallback failure = nullptr)
      : CSgNavigatorT<CImVector>(image, area, changed, release, failure) {}
};

// A new image of width × height in the application's data environment, stored through the image
// record; none, with the reason in *error, when it cannot be made.
CImage* NewDataImage(uint32_t width, uint32_t height, int32_t* error);
// The same in the given environment.
CImage* NewImageIn(CSpoolSys* environment, uint32_t width, uint32_t height, int32_t* error);
