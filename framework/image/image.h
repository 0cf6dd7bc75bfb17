// 32-bit images: pixel grids of CImVector cells on spooled storage, reached through navigators.
//
// Placeholder until the images issue builds them: allocation, creation from a device-independent
// bitmap, the alpha operations that creation needs and row navigation; the stored image record's
// handler is the default one.
#pragma once

#include <cstdint>

#include "framework/core/sg_navigator.h"
#include "framework/core/spool_grid.h"

// The spool type of 32-bit images.
inline constexpr const char* kImageType = "ImageIV32ARGB";

// One pixel: alpha (or a tag) in the top byte, then red, green and blue.
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

  // A new image the size of the bitmap, filled from it; none when the bitmap is refused or the image
  // cannot be made (a half-made one is deleted). length: the bytes the bitmap may use.
  static CImage* CreateFromDib(const SGridLayout& grid, const SSpoolTableSpec* spec, const void* dib, uint32_t length,
                               bool makeOpaque);
  // Uncompressed bottom-up 24- and 32-bit bitmaps whose header, colours and rows lie within length;
  // the clip rectangle's area is filled from the bitmap's last row up.
  bool FromDib(const void* dib, uint32_t length, bool makeOpaque);
  bool SetAlpha(uint8_t alpha);
  // Makes the image opaque when a sample of its pixels shows no alpha at all.
  bool EnsureAlpha();
};

class CImNavigator : public CSgNavigatorT<CImVector> {
 public:
  CImNavigator(CImage* image, const SRect* area, bool changed, bool release, HolderFailureCallback failure = nullptr)
      : CSgNavigatorT<CImVector>(image, area, changed, release, failure) {}
};

// The record-type handler of stored 32-bit images.
uint32_t ImageRecordTypeHandler(CSpoolMem* object, uint32_t message, void* argument);
