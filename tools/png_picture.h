// PNG pictures for the resource compiler, decoded with libpng into 32-bit pixels: palettes and grey
// expanded, a transparent colour turned into alpha, 16-bit samples scaled to 8 with rounding, and
// alpha 255 where the file has none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SPngPicture {
  static constexpr uint32_t kMaxSide = 4096;  // the interface's pictures are far smaller

  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows from the top
};

// False with the reason in *error when the file cannot be read, is no PNG, does not decode or is
// larger than kMaxSide either way.
bool ReadPngPicture(const std::string& path, SPngPicture* picture, std::string* error);
