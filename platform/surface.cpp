#include "platform/surface.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace platform {

void Surface::Resize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == fWidth && height == fHeight) return;
  std::unique_ptr<uint32_t[], SFree> pixels(
      static_cast<uint32_t*>(std::calloc(std::max(size_t(width) * size_t(height), size_t(1)), sizeof(uint32_t))));
  if (!pixels) throw std::bad_alloc();
  // An undrawn surface is all black, as the new one is.
  for (int32_t y = 0; fDrawn && y < std::min(height, fHeight); ++y) {
    std::copy_n(fPixels.get() + ptrdiff_t(y) * fWidth, std::min(width, fWidth), pixels.get() + ptrdiff_t(y) * width);
  }
  fPixels = std::move(pixels);
  fWidth = width;
  fHeight = height;
}

void Surface::Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t color) {
  if (color == 0 && !fDrawn) return;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, fWidth);
  bottom = std::min(bottom, fHeight);
  if (right <= left) return;
  for (int32_t y = top; y < bottom; ++y) {
    fDrawn = true;
    std::fill_n(fPixels.get() + ptrdiff_t(y) * fWidth + left, right - left, color);
  }
}

uint32_t Surface::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return 0;
  return fPixels[size_t(y) * size_t(fWidth) + size_t(x)];
}

}  // namespace platform
