// Pixel routines of the render loops and the preview renderer, on an image held by a navigator whose
// row r is the image's row r. In the render loops a pixel's top byte is its sampling state: 0 made by
// a progressive pass (or not made yet), 0x80 sampled by the adaptive render, 0xFF antialiased.
#pragma once

#include <algorithm>
#include <cstdint>

#include "framework/core/rect.h"
#include "framework/image/image.h"

// The part of the rectangle inside the bounds, and the number of pixels a rectangle holds (0 when
// empty).
SRect ClippedRect(const SRect& rect, const SRect& bounds);
uint64_t RectArea(const SRect& rect);

// weight 0 stores a, 255 or more b, whole words; in between only red, green and blue of out are
// written, each a + ((b − a) × weight >> 8), and out keeps its top byte.
void BlendColour(CImVector a, CImVector b, int32_t weight, CImVector& out);

// The n × n block at (x, y), clipped to the image, blended from its four corner colours (c10 to the
// right, c01 below); every pixel takes the top byte of c00. Image is a navigator, or any rows with
// Cells(row), GetColumns() and GetRows().
template <typename Image>
void FillBlockBilinear(Image& image, int32_t x, int32_t y, int32_t n, CImVector c00, CImVector c10, CImVector c01,
                       CImVector c11) {
  if (x < 0 || y < 0) return;
  const int32_t w = std::min(x + n, int32_t(image.GetColumns())) - x;
  const int32_t h = std::min(y + n, int32_t(image.GetRows())) - y;
  if (w < 1 || h < 1) return;
  // Carried from column to column and row to row, so that the partial blends keep c00's top byte.
  CImVector top = c00, bottom = c00, pixel = c00;
  for (int32_t i = 0; i < w; ++i) {
    BlendColour(c00, c10, i * 256 / w, top);
    BlendColour(c01, c11, i * 256 / w, bottom);
    for (int32_t j = 0; j < h; ++j) {
      BlendColour(top, bottom, j * 256 / h, pixel);
      image.Cells(uint32_t(y + j))[x + i] = pixel;
    }
  }
}

// Fills the rectangle, clipped to the image, with one colour, or with invert inverts red, green and
// blue of every pixel in it (twice gives the pixels back).
void FillImageRect(CImNavigator& image, const SRect& rect, CImVector colour, bool invert);
void InvertImageRect(CImNavigator& image, const SRect& rect);

// Whether the 2 × 2 cell of a (the reference), b to its right, c below and d below right differs:
// any channel of b, c or d from a's, or of d from b's, by more than the threshold, or any top byte of
// b, c or d from a's.
bool EdgeTest(CImVector a, CImVector b, CImVector c, CImVector d, int32_t threshold);
