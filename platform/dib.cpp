#include "platform/dib.h"


namespace platform {
namespace {

enum : uint32_t { kInfoHeaderBytes = 40, kUncompressed = 0 };

uint32_t LE32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t LE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

uint64_t RowBytes(uint64_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

}  // namespace

bool DibToRgb(const uint8_t* dib, size_t size, SRgbPicture* picture) {
  if (!dib || size < size_t(kInfoHeaderBytes)) return false;
  const uint32_t headerSize = LE32(dib);
  const int32_t width = int32_t(LE32(dib + 4));
  const int32_t height = int32_t(LE32(dib + 8));
  const uint16_t bits = LE16(dib + 14);
  const uint32_t compression = LE32(dib + 16);
  const uint32_t coloursUsed = LE32(dib + 32);
  if (headerSize < kInfoHeaderBytes || (bits != 24 && bits != 32) || compression != kUncompressed || width <= 0 ||
      height == 0 || height == INT32_MIN)
    return false;
  const uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : height);
  const uint64_t stride = RowBytes(uint64_t(width), bits);
  const uint64_t start = uint64_t(headerSize) + 4 * uint64_t(coloursUsed);
  if (start > size || stride * rows > uint64_t(size) - start) return false;
  picture->width = width;
  picture->height = int32_t(rows);
  picture->rgb.assign(size_t(rows) * size_t(width) * 3, 0);
  const size_t step = bits / 8;
  for (uint64_t y = 0; y < rows; ++y) {
    const uint64_t stored = height > 0 ? rows - 1 - y : y;
    const uint8_t* in = dib + start + stored * stride;
    uint8_t* out = picture->rgb.data() + y * uint64_t(width) * 3;
    for (int32_t x = 0; x < width; ++x, in += step, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return true;
}

std::vector<uint8_t> RgbToDib(const SRgbPicture& picture) {
  const uint64_t stride = RowBytes(uint64_t(picture.width), 24);
  std::vector<uint8_t> dib(kInfoHeaderBytes + size_t(stride) * size_t(picture.height), 0);
  PutLE32(dib.data(), kInfoHeaderBytes);
  PutLE32(dib.data() + 4, uint32_t(picture.width));
  PutLE32(dib.data() + 8, uint32_t(picture.height));
  dib[12] = 1;
  dib[14] = 24;
  for (int32_t y = 0; y < picture.height; ++y) {
    const uint8_t* in = picture.rgb.data() + size_t(y) * size_t(picture.width) * 3;
    uint8_t* out = dib.data() + kInfoHeaderBytes + size_t(picture.height - 1 - y) * size_t(stride);
    for (int32_t x = 0; x < picture.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return dib;
}

}  // namespace platform
