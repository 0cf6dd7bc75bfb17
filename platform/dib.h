// Device-independent bitmaps as the clipboard carries them, to and from plain RGB pixels, for the
// back ends whose clipboards speak pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct SRgbPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // rows from the top, three bytes (red, green, blue) per pixel
};

// Uncompressed 24- and 32-bit bitmaps, bottom-up or top-down; false for anything else or when the
// header, colour table or rows run past the bytes given.
bool DibToRgb(const uint8_t* dib, size_t size, SRgbPicture* picture);
// A 24-bit bottom-up bitmap with a 40-byte header.
std::vector<uint8_t> RgbToDib(const SRgbPicture& picture);

}  // namespace platform
