// Soft drop shadows of composite, image and text elements: the alpha of an image, moved, blurred and
// scaled by the shadow's opacity, turned into a new image. The coverage is worked on in a buffer of
// 16-bit values (0 no shadow, 65535 full) that lives for one build; the blur runs a three-tap kernel
// at halving steps, rows first, so its cost grows with the logarithm of the radius. All rectangles
// here are placed ones: an image's clip moved by its origin.
#pragma once

#include <cstdint>

#include "framework/core/rect.h"
#include "framework/ui/geometry.h"

class CImage;
struct SGridLayout;
struct SSpoolTableSpec;

// What the builder turns into an image.
enum ESoftShadowMode : uint32_t {
  kShadowUnder = 0,  // the shadow composited under the image
  kShadowMask = 2,   // a packed alpha mask, four alphas to a pixel
  // any other value: the image with the shadow's alpha
};

struct SSoftShadow {
  int32_t dx = 12;  // added to left and right
  int32_t dy = 12;  // added to top and bottom
  uint32_t radius = 16;
  float opacity = 1.0f;  // 0 to 1
  SRect clip;            // the shadow stays inside it; empty: no clip
  uint8_t fadeAtClip = 0;
  uint32_t mode = kShadowUnder;
  uint8_t keepUnder = 0;  // modes other than 0: the shadow stays under the image's opaque pixels
};

void MakeSoftShadowSpec(SSoftShadow* out, SPointHV displacement, uint32_t radius, float opacity, const SRect& clip,
                        bool fadeAtClip, uint32_t mode, bool keepUnder);

// A new image, the caller's, made from grid (whose width and height are set here) and spec: the
// source's clip area at its origin with its shadow, in the shadow's mode. None, with everything made
// for it freed, when memory fails or an image cannot be reached. An opacity outside 0 to 1 counts as
// the nearer end, and one that is not a number as 0.
CImage* MakeSoftShadow(CImage* source, SGridLayout& grid, const SSpoolTableSpec& spec, const SSoftShadow& shadow);

// The buffer's rectangle for a source placed at `placed`: moved by the displacement, grown by twice
// the radius on every side, and one column wider when its width is a multiple of 16. False when it is
// empty or wider or higher than the builder takes (a radius read from a record must not wrap a size).
bool ShadowBufferRect(const SRect& placed, const SSoftShadow& shadow, SRect* out);

// Blurs in place the count values first, first + stride, ... by passes at steps radius, then each
// step (s + 1) / 2 down to 1. The caller keeps the radius at or below count / 2 - 1.
void BlurLine(uint16_t* first, uint32_t count, uint32_t stride, uint32_t radius);
// The smallest rectangle outside which every row and column of the buffer stays below 255; empty
// (top R.bottom, left R.right, bottom R.top, right R.left) when nothing reaches it.
SRect FindCoverageBox(const uint16_t* buffer, const SRect& bufferRect);
// The largest value on the box's outline (its first and last rows and columns).
uint16_t MaxOnBoxOutline(const uint16_t* buffer, const SRect& bufferRect, const SRect& box);
// Write the coverage inside the box into the image (placed by its origin); false when its pixels
// cannot be reached.
bool CompositeShadowUnder(const uint16_t* buffer, const SRect& bufferRect, const SRect& box, CImage* image);
bool ApplyShadowAlpha(const uint16_t* buffer, const SRect& bufferRect, const SRect& box, CImage* image,
                      bool keepUnder);
// A new mask of image's alphas, four to a pixel (the first in the top byte), placed at the image's
// origin; the image is freed in every case. None when the mask cannot be made or reached.
CImage* PackAlphaMask(const SRect& box, CImage* image, SGridLayout& grid, const SSpoolTableSpec& spec);
