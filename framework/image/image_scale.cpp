// CImage::ScaleFrom: resampling one image's clip area into another's. Positions and steps are kept
// in 64 bits: the 16.16 steps of sources 32,768 pixels wide and more do not fit 32.
#include <algorithm>
#include <cstring>

#include "framework/image/image.h"
#include "framework/image/pixel_mix.h"

namespace {

enum EFilter : int32_t { kNearest = 0, kSmooth = 1 };

constexpr uint64_t kOne = 1 << 16;         // 1.0 in 16.16
constexpr uint64_t kBoxScale = 0x01010101;  // the reciprocal of a box's area, times 2^24 per byte
constexpr uint32_t kBytes = 4;

struct SArea {
  const CImNavigator& nav;
  uint32_t width;
  uint32_t height;
};

// f(i, n) for each of `from` source indices, in order, with its n copies: to / from of them, or one
// more where an error term spreads the remainder; the n add up to `to`.
template <typename F>
void ForEachRepeat(uint32_t from, uint32_t to, F f) {
  const uint64_t q = to / from, r = to - q * from;
  uint64_t e = r;
  for (uint32_t i = 0; i < from; ++i) {
    uint64_t n = q;
    if (e >= from) {
      e -= from;
      ++n;
    }
    f(i, uint32_t(n));
    e += r;
  }
}

// Destination pixel k takes source ⌊k · from / to⌋, stepped by an error term.
template <typename F>
void ForEachNearest(uint32_t from, uint32_t to, F f) {
  const uint64_t q = from / to, r = from - q * to;
  uint64_t x = 0, e = r;
  for (uint32_t k = 0; k < to; ++k) {
    f(k, uint32_t(x));
    x += q;
    if (e >= to) {
      e -= to;
      ++x;
    }
    e += r;
  }
}

void NearestReduce(const SArea& in, const SArea& out) {
  ForEachNearest(in.height, out.height, [&](uint32_t y, uint32_t sy) {
    const CImVector* s = in.nav.Cells(sy);
    CImVector* d = out.nav.Cells(y);
    ForEachNearest(in.width, out.width, [&](uint32_t x, uint32_t sx) { d[x] = s[sx]; });
  });
}

// Each source pixel, and each source row, is repeated q or q + 1 times; repeated rows are copies of
// the first.
void NearestEnlarge(const SArea& in, const SArea& out) {
  uint32_t y = 0;
  const size_t rowBytes = size_t(out.width) * kBytes;
  ForEachRepeat(in.height, out.height, [&](uint32_t sy, uint32_t rows) {
    if (rows == 0) return;
    const CImVector* s = in.nav.Cells(sy);
    CImVector* d = out.nav.Cells(y);
    uint32_t x = 0;
    ForEachRepeat(in.width, out.width, [&](uint32_t sx, uint32_t n) {
      for (uint32_t i = 0; i < n && x < out.width; ++i) d[x++] = s[sx];
    });
    for (uint32_t i = 1; i < rows; ++i) std::memcpy(out.nav.Cells(y + i), d, rowBytes);
    y += rows;
  });
}

uint64_t Step(uint64_t span, uint32_t to) { return to > 1 ? span / (to - 1) : 0; }

// The average of the bx × by block at each stepped position, per byte.
void BoxReduce(const SArea& in, const SArea& out, uint32_t bx, uint32_t by) {
  const uint64_t stepX = Step(uint64_t(in.width - bx) << 16, out.width);
  const uint64_t stepY = Step(uint64_t(in.height - by) << 16, out.height);
  const uint64_t area = uint64_t(bx) * by;
  // Blocks beyond 2^24 pixels have no 24-bit reciprocal; they are divided instead.
  const uint64_t n = kBoxScale / area;
  uint64_t fy = 0;
  for (uint32_t y = 0; y < out.height; ++y, fy += stepY) {
    CImVector* d = out.nav.Cells(y);
    uint64_t fx = 0;
    for (uint32_t x = 0; x < out.width; ++x, fx += stepX) {
      uint64_t sums[kBytes] = {};
      for (uint32_t j = 0; j < by; ++j) {
        const CImVector* s = in.nav.Cells(uint32_t(fy >> 16) + j) + (fx >> 16);
        for (uint32_t i = 0; i < bx; ++i)
          for (uint32_t b = 0; b < kBytes; ++b) sums[b] += (s[i].value >> (8 * b)) & 0xFF;
      }
      uint32_t pixel = 0;
      for (uint32_t b = 0; b < kBytes; ++b) {
        const uint64_t average = n ? (n * sums[b]) >> 24 : sums[b] / area;
        pixel |= uint32_t(average) << (8 * b);
      }
      d[x].value = pixel;
    }
  }
}

uint64_t BilinearStep(uint32_t from, uint32_t to) {
  const int64_t span = (int64_t(from) << 16) - int64_t(kOne + 1);
  return span > 0 ? Step(uint64_t(span), to) : 0;
}

// Each pixel mixed from its four neighbours at the stepped position; beyond the last column or row
// the last one stands in.
void Bilinear(const SArea& in, const SArea& out) {
  const uint64_t stepX = BilinearStep(in.width, out.width);
  const uint64_t stepY = BilinearStep(in.height, out.height);
  uint64_t fy = 0;
  for (uint32_t y = 0; y < out.height; ++y, fy += stepY) {
    const uint32_t r = std::min<uint64_t>(fy >> 16, in.height - 1);
    const CImVector* upper = in.nav.Cells(r);
    const CImVector* lower = in.nav.Cells(std::min(r + 1, in.height - 1));
    const uint32_t wy = uint32_t(fy >> 8) & 0xFF;
    CImVector* d = out.nav.Cells(y);
    uint64_t fx = 0;
    for (uint32_t x = 0; x < out.width; ++x, fx += stepX) {
      const uint32_t c = std::min<uint64_t>(fx >> 16, in.width - 1);
      const uint32_t c1 = std::min(c + 1, in.width - 1);
      const uint32_t wx = uint32_t(fx >> 8) & 0xFF;
      const uint32_t top = MixPixel(upper[c].value, upper[c1].value, wx);
      const uint32_t bottom = MixPixel(lower[c].value, lower[c1].value, wx);
      d[x].value = MixPixel(top, bottom, wy);
    }
  }
}

}  // namespace

bool CImage::ScaleFrom(CImage* source, int32_t mode) {
  const SRect& from = source->GetClip();
  const SRect& to = GetClip();
  if (from.bottom <= from.top || from.right <= from.left || to.bottom <= to.top || to.right <= to.left) return true;
  const uint32_t sw = uint32_t(from.right - from.left), sh = uint32_t(from.bottom - from.top);
  const uint32_t dw = uint32_t(to.right - to.left), dh = uint32_t(to.bottom - to.top);
  const bool sameSize = sw == dw && sh == dh;
  if (!sameSize && mode != kNearest && mode != kSmooth) return false;
  CImNavigator in(source, nullptr, false, false);
  CImNavigator out(this, nullptr, true, false);
  if (!in.IsUsable() || !out.IsUsable()) return false;
  const SArea src{in, sw, sh};
  const SArea dst{out, dw, dh};
  const bool reducing = sw > dw || sh > dh;
  if (sameSize) {
    for (uint32_t y = 0; y < dh; ++y) std::memcpy(out.Row(y), in.Row(y), size_t(dw) * kBytes);
  } else if (mode == kNearest) {
    reducing ? NearestReduce(src, dst) : NearestEnlarge(src, dst);
  } else if (reducing && std::min(sw / dw, sh / dh) >= 2) {
    BoxReduce(src, dst, sw / dw, sh / dh);
  } else {
    Bilinear(src, dst);
  }
  return true;
}
