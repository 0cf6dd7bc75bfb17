#include "platform/surface.h"

#include <algorithm>
#include <cstddef>

namespace platform {

void Surface::Resize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == fWidth && height == fHeight) return;
  std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
  for (int32_t y = 0; y < std::min(height, fHeight); ++y) {
    std::copy_n(Row(y), std::min(width, fWidth), pixels.begin() + ptrdiff_t(y) * width);
  }
  fPixels.swap(pixels);
  fWidth = width;
  fHeight = height;
}

void Surface::Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t color) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, fWidth);
  bottom = std::min(bottom, fHeight);
  for (int32_t y = top; y < bottom; ++y) {
    std::fill_n(fPixels.begin() + ptrdiff_t(y) * fWidth + left, std::max(right - left, 0), color);
  }
}

uint32_t Surface::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return 0;
  return fPixels[size_t(y) * size_t(fWidth) + size_t(x)];
}

}  // namespace platform
