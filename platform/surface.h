// A 32-bit pixel surface (0x00RRGGBB per pixel, rows top to bottom): what a window shows. Drawing
// lands here in both back ends, so tests read exactly what a user would see.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace platform {

class Surface {
 public:
  Surface() = default;
  Surface(int32_t width, int32_t height) { Resize(width, height); }

  // New pixels are black; the old contents are kept where they overlap.
  void Resize(int32_t width, int32_t height);
  // Clipped to the surface; right and bottom are exclusive.
  void Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t color);

  int32_t Width() const { return fWidth; }
  int32_t Height() const { return fHeight; }
  uint32_t Pixel(int32_t x, int32_t y) const;  // 0 outside
  const uint32_t* Row(int32_t y) const { return fPixels.get() + size_t(y) * size_t(fWidth); }
  // For drawing: the surface counts as drawn from then on.
  uint32_t* Row(int32_t y) {
    fDrawn = true;
    return fPixels.get() + size_t(y) * size_t(fWidth);
  }

 private:
  struct SFree {
    void operator()(uint32_t* pixels) const { std::free(pixels); }
  };

  int32_t fWidth = 0;
  int32_t fHeight = 0;
  // Zeroed by the allocator, which leaves the memory of a large surface untouched until it is drawn
  // into: a program that shows no window (the tools) never pays for a screen-sized one.
  std::unique_ptr<uint32_t[], SFree> fPixels;
  // Something other than black was put into the pixels.
  bool fDrawn = false;
};

}  // namespace platform
