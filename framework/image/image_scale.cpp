// Resampling one image's area into another's, for 32-bit images (their clip rectangles) and 8-bit
// images (their own areas) alike: the filters work on the bytes of a cell, whatever its size.
// Positions and steps are kept in 64 bits: the 16.16 steps of sources 32,768 pixels wide and more do
// not fit 32.
#include <algorithm>
#include <cstring>

#include "framework/image/image.h"
#include "framework/image/image8.h"
#include "framework/image/pixel_mix.h"

namespace {

enum EFilter : int32_t { kNearest = 0, kSmooth = 1 };

constexpr uint64_t kOne = 1 << 16;  // 1.0 in 16.16

// What the filters need of a cell. Box averages multiply by a reciprocal of the block's area:
// 0x01010101 / area with 24 fraction bits for pixels, 65535 / area + 1 with 16 for indices.
struct SPixelCells {
  using Cell = CImVector;
  using Navigator = CImNavigator;
  static constexpr uint32_t kBytes = 4;

  static uint32_t ByteOf(Cell c, uint32_t b) { return (c.value >> (8 * b)) & 0xFF; }
  static Cell FromBytes(const uint64_t* bytes) {
    Cell c;
    for (uint32_t b = 0; b < kBytes; ++b) c.value |= uint32_t(bytes[b]) << (8 * b);
    return c;
  }
  static Cell Mix(Cell a, Cell b, uint32_t w) { return Cell{MixPixel(a.value, b.value, w)}; }
  static uint64_t Reciprocal(uint64_t area) { return 0x01010101 / area; }
  // Blocks beyond 2^24 pixels have no 24-bit reciprocal; they are divided instead.
  static uint64_t Average(uint64_t n, uint64_t sum, uint64_t area) { return n ? (n * sum) >> 24 : sum / area; }
};

struct SIndexCells {
  using Cell = CImVector8;
  using Navigator = CIm8Navigator;
  static constexpr uint32_t kBytes = 1;

  static uint32_t ByteOf(Cell c, uint32_t) { return c.value; }
  static Cell FromBytes(const uint64_t* bytes) { return Cell{uint8_t(bytes[0])}; }
  static Cell Mix(Cell a, Cell b, uint32_t w) { return Cell{uint8_t((a.value * (256 - w) + b.value * w) >> 8)}; }
  static uint64_t Reciprocal(uint64_t area) { return 65535 / area + 1; }
  // The reciprocal errs upward: from blocks of about 260 cells a block of 255s would reach 256.
  static uint64_t Average(uint64_t n, uint64_t sum, uint64_t) { return std::min<uint64_t>((n * sum) >> 16, 255); }
};

template <typename T>
struct SArea {
  const typename T::Navigator& nav;
  uint32_t width;
  uint32_t height;

  typename T::Cell* Cells(uint32_t r) const { return nav.Cells(r); }
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

template <typename T>
void NearestReduce(const SArea<T>& in, const SArea<T>& out) {
  ForEachNearest(in.height, out.height, [&](uint32_t y, uint32_t sy) {
    const auto* s = in.Cells(sy);
    auto* d = out.Cells(y);
    ForEachNearest(in.width, out.width, [&](uint32_t x, uint32_t sx) { d[x] = s[sx]; });
  });
}

// Each source pixel, and each source row, is repeated q or q + 1 times; repeated rows are copies of
// the first.
template <typename T>
void NearestEnlarge(const SArea<T>& in, const SArea<T>& out) {
  uint32_t y = 0;
  const size_t rowBytes = size_t(out.width) * sizeof(typename T::Cell);
  ForEachRepeat(in.height, out.height, [&](uint32_t sy, uint32_t rows) {
    if (rows == 0) return;
    const auto* s = in.Cells(sy);
    auto* d = out.Cells(y);
    uint32_t x = 0;
    ForEachRepeat(in.width, out.width, [&](uint32_t sx, uint32_t n) {
      for (uint32_t i = 0; i < n && x < out.width; ++i) d[x++] = s[sx];
    });
    for (uint32_t i = 1; i < rows; ++i) std::memcpy(out.Cells(y + i), d, rowBytes);
    y += rows;
  });
}

uint64_t Step(uint64_t span, uint32_t to) { return to > 1 ? span / (to - 1) : 0; }

// The average of the bx × by block at each stepped position, per byte.
template <typename T>
void BoxReduce(const SArea<T>& in, const SArea<T>& out, uint32_t bx, uint32_t by) {
  const uint64_t stepX = Step(uint64_t(in.width - bx) << 16, out.width);
  const uint64_t stepY = Step(uint64_t(in.height - by) << 16, out.height);
  const uint64_t area = uint64_t(bx) * by;
  const uint64_t n = T::Reciprocal(area);
  uint64_t fy = 0;
  for (uint32_t y = 0; y < out.height; ++y, fy += stepY) {
    auto* d = out.Cells(y);
    uint64_t fx = 0;
    for (uint32_t x = 0; x < out.width; ++x, fx += stepX) {
      uint64_t sums[T::kBytes] = {};
      for (uint32_t j = 0; j < by; ++j) {
        const auto* s = in.Cells(uint32_t(fy >> 16) + j) + (fx >> 16);
        for (uint32_t i = 0; i < bx; ++i)
          for (uint32_t b = 0; b < T::kBytes; ++b) sums[b] += T::ByteOf(s[i], b);
      }
      for (uint64_t& sum : sums) sum = T::Average(n, sum, area);
      d[x] = T::FromBytes(sums);
    }
  }
}

uint64_t BilinearStep(uint32_t from, uint32_t to) {
  const int64_t span = (int64_t(from) << 16) - int64_t(kOne + 1);
  return span > 0 ? Step(uint64_t(span), to) : 0;
}

// Each pixel mixed from its four neighbours at the stepped position; beyond the last column or row
// the last one stands in.
template <typename T>
void Bilinear(const SArea<T>& in, const SArea<T>& out) {
  const uint64_t stepX = BilinearStep(in.width, out.width);
  const uint64_t stepY = BilinearStep(in.height, out.height);
  uint64_t fy = 0;
  for (uint32_t y = 0; y < out.height; ++y, fy += stepY) {
    const uint32_t r = std::min<uint64_t>(fy >> 16, in.height - 1);
    const auto* upper = in.Cells(r);
    const auto* lower = in.Cells(std::min(r + 1, in.height - 1));
    const uint32_t wy = uint32_t(fy >> 8) & 0xFF;
    auto* d = out.Cells(y);
    uint64_t fx = 0;
    for (uint32_t x = 0; x < out.width; ++x, fx += stepX) {
      const uint32_t c = std::min<uint64_t>(fx >> 16, in.width - 1);
      const uint32_t c1 = std::min(c + 1, in.width - 1);
      const uint32_t wx = uint32_t(fx >> 8) & 0xFF;
      d[x] = T::Mix(T::Mix(upper[c], upper[c1], wx), T::Mix(lower[c], lower[c1], wx), wy);
    }
  }
}

bool IsEmpty(const SRect& r) { return r.bottom <= r.top || r.right <= r.left; }

// Equal sizes copy whatever the mode; another mode than 0 and 1 answers false and writes nothing.
template <typename T, typename Image>
bool Scale(Image* source, const SRect& from, Image* destination, const SRect& to, int32_t mode) {
  if (IsEmpty(from) || IsEmpty(to)) return true;
  const uint32_t sw = uint32_t(from.right - from.left), sh = uint32_t(from.bottom - from.top);
  const uint32_t dw = uint32_t(to.right - to.left), dh = uint32_t(to.bottom - to.top);
  const bool sameSize = sw == dw && sh == dh;
  if (!sameSize && mode != kNearest && mode != kSmooth) return false;
  typename T::Navigator in(source, &from, false, false);
  typename T::Navigator out(destination, &to, true, false);
  if (!in.IsUsable() || !out.IsUsable()) return false;
  const SArea<T> src{in, sw, sh};
  const SArea<T> dst{out, dw, dh};
  const bool reducing = sw > dw || sh > dh;
  if (sameSize) {
    for (uint32_t y = 0; y < dh; ++y) std::memcpy(out.Row(y), in.Row(y), size_t(dw) * sizeof(typename T::Cell));
  } else if (mode == kNearest) {
    reducing ? NearestReduce(src, dst) : NearestEnlarge(src, dst);
  } else if (reducing && std::min(sw / dw, sh / dh) >= 2) {
    BoxReduce(src, dst, sw / dw, sh / dh);
  } else {
    Bilinear(src, dst);
  }
  return true;
}

}  // namespace

bool CImage::ScaleFrom(CImage* source, int32_t mode) {
  return Scale<SPixelCells>(source, source->GetClip(), this, GetClip(), mode);
}

// An area reaching past its grid is cut to it, so that the navigators cover exactly the sizes used.
bool CImage8::ScaleFrom(CImage8* source, int32_t mode) {
  return Scale<SIndexCells>(source, IntersectRect(source->GetArea(), source->GetBounds()), this,
                            IntersectRect(GetArea(), GetBounds()), mode);
}
