// The picture a picture texture carries inside itself: a 32-bit image whose top byte the texture
// reads as the picture's alpha, which loading turns around once the pixels are in.
#pragma once

#include <cstdint>

#include "framework/image/image.h"

class C3dCImage : public CImage {
 public:
  // The persistent type name of its spool keys.
  static constexpr const char* kTypeName = "C3dCImage";

  explicit C3dCImage(const SGridLayout& grid) : CImage(grid) {}
  C3dCImage(const SGridLayout& grid, const SSpoolTableSpec& spec) : CImage(grid, spec) {}

  // Every pixel's top byte a becomes 255 − a, over the whole image whatever its clip rectangle; true
  // at once for an image of no pixels, false when it cannot be locked.
  bool InvertAlpha();

  uint32_t GetWord() const { return fWord; }
  void SetWord(uint32_t word) { fWord = word; }

 private:
  uint32_t fWord = 0;
};
