#include "editors/terrain/height_grid_filters.h"

#include <bit>
#include <cmath>
#include <cstdlib>

#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/random.h"

namespace {

// A 3×3 kernel, rows from the one above to the one below, and the shift of its sum.
struct SKernel {
  int32_t w[3][3];
  int32_t shift;
};

constexpr SKernel kSmoothKernel{{{30, 30, 30}, {30, 20, 30}, {30, 30, 30}}, 8};
constexpr SKernel kSharpenKernel{{{-378, -378, -378}, {-378, 3286, -378}, {-378, -378, -378}}, 8};
constexpr SKernel kReliefKernel{{{2330, 258, -1147}, {924, -4474, 925}, {1147, 258, 2330}}, 11};

// A drag further than any screen: keeps the squared distances of the shapes within 64 bits.
constexpr int64_t kLongestDrag = int64_t(1) << 24;

// The kernel as a constant, so that the compiler can unroll and vectorise the row. The sums stay
// within 32 bits: no kernel weighs the 65535 of a cell by more than 8172 either way.
template <const SKernel& K>
void KernelPass(const CHFUnit* src, CHFUnit* dst, uint32_t n) {
  for (uint32_t r = 0; r < n; ++r) {
    const CHFUnit* up = src + size_t(r > 0 ? r - 1 : 0) * n;
    const CHFUnit* row = src + size_t(r) * n;
    const CHFUnit* down = src + size_t(r + 1 < n ? r + 1 : r) * n;
    CHFUnit* out = dst + size_t(r) * n;
    for (uint32_t c = 1; c + 1 < n; ++c) {
      const int32_t sum = K.w[0][0] * up[c - 1] + K.w[0][1] * up[c] + K.w[0][2] * up[c + 1] + K.w[1][0] * row[c - 1] +
                          K.w[1][1] * row[c] + K.w[1][2] * row[c + 1] + K.w[2][0] * down[c - 1] + K.w[2][1] * down[c] +
                          K.w[2][2] * down[c + 1];
      out[c] = ClampHeight(sum >> K.shift);
    }
  }
}

int64_t ClampIndex(int64_t i, int64_t size) { return std::clamp<int64_t>(i, 0, size - 1); }

// Curve entry i blended toward the next one (the last repeats) by the fraction f, which may be
// negative where the position was rounded up.
int64_t CurveAt(const uint16_t* curve, int64_t i, double f) {
  const int64_t e = curve[i];
  const int64_t next = i + 1 < int64_t(kCurveEntries) ? curve[i + 1] : e;
  return e + int64_t(double(next - e) * f);
}

// P(idx) of the profile modes: the curve across n positions, never below 0. The blend modes place
// the entries truncated over 128 steps, the raise modes rounded over 127.
int64_t ProfileAt(const uint16_t* curve, int32_t mode, uint32_t idx, uint32_t n) {
  const bool blend = mode == kGridRowProfileBlend || mode == kGridColumnProfileBlend;
  const double x = idx * (blend ? 128.0 : 127.0) / n;
  const int64_t i = int64_t(blend ? x : x + 0.5);
  return std::max<int64_t>(0, CurveAt(curve, i, x - double(i)));
}

void ApplyProfile(CHFUnit* grid, uint32_t n, const uint16_t* curve, int32_t mode) {
  const bool byRow = mode == kGridRowProfileBlend || mode == kGridRowProfileRaise;
  const bool blend = mode == kGridRowProfileBlend || mode == kGridColumnProfileBlend;
  for (uint32_t j = 0; j < n; ++j) {
    CHFUnit* row = grid + size_t(j) * n;
    const int64_t rowProfile = byRow ? ProfileAt(curve, mode, j, n) : 0;
    for (uint32_t k = 0; k < n; ++k) {
      const int64_t p = byRow ? rowProfile : ProfileAt(curve, mode, k, n);
      const int64_t v = row[k];
      row[k] = blend ? CHFUnit((v + std::max(v, p)) / 2) : ClampHeight(v + p / 2);
    }
  }
}

}  // namespace

bool IsFilterGridSize(uint32_t n) { return n >= 8 && n <= 1024 && std::has_single_bit(n); }

void FilterHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, int32_t mode) {
  if (!IsFilterGridSize(n)) return;
  const size_t count = size_t(n) * n;
  switch (mode) {
    case kFilterSmooth:
      KernelPass<kSmoothKernel>(src, dst, n);
      break;
    case kFilterSharpen:
      KernelPass<kSharpenKernel>(src, dst, n);
      break;
    case kFilterRelief:
      KernelPass<kReliefKernel>(src, dst, n);
      break;
    case kFilterRaiseLower:
    case kFilterNew:
      std::fill(dst, dst + count, CHFUnit(0));
      break;
    case kFilterDampen:
    case kFilterInvert:
      for (size_t i = 0; i < count; ++i) dst[i] = CHFUnit(65535 - src[i]);
      break;
    case kFilterEqualize:
      StretchHeightRange(dst, n);
      break;
    case kFilterGaussianEdges:
      ApplyGridFunction(dst, n, nullptr, kGridGaussianEdges, 0, 65535);
      break;
    default:
      break;
  }
}

void ShapeHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, int32_t mode, int32_t ax, int32_t ay, int32_t bx,
                     int32_t by) {
  if (!IsFilterGridSize(n)) return;
  std::copy(src, src + size_t(n) * n, dst);
  const int64_t size = n, h = size / 2, t = std::countr_zero(n) - 1;
  const int64_t dx = std::clamp(int64_t(ax) - bx, -kLongestDrag, kLongestDrag);
  const int64_t dy = std::clamp(int64_t(by) - ay, -kLongestDrag, kLongestDrag);
  int64_t cx = h + dx, cy = h + dy, r0 = h, k = 0;
  switch (mode) {
    case 0:
      cx = cy = h;
      k = 2 * dx;
      break;
    case 1:
    case 2:
      cx = cy = h;
      k = 4 * dx;
      break;
    case 3:
      r0 = h - dx;
      break;
    case 4:
      break;
    default:
      r0 = std::min({cy, size - cy, cx, size - cx});
      break;
  }
  const int64_t mosaic = dx ? std::abs(dx) : 1;
  const int64_t noise = 16 * std::abs(dx);
  const int64_t posterize = dx ? 16 * std::abs(dx) : 1;
  SRandomState& random = GetRandomState();
  const auto within = [r0](int64_t m) { return std::min(r0, std::max<int64_t>(0, m)); };
  for (int64_t r = 0; r < size; ++r) {
    const int64_t dr = std::abs(r - cy);
    CHFUnit* row = dst + r * size;
    for (int64_t c = 0; c < size; ++c) {
      const int64_t dc = std::abs(c - cx), v = row[c], rise = 65535 - v;
      int64_t out = v;
      switch (mode) {
        case 0: {
          const int64_t q = within((dc * dc + dr * dr) * h / (r0 * r0));
          out = (within(((r0 - q) * (r0 + k)) >> t) * v) >> t;
          break;
        }
        case 1:
          out = v + ((within((within(std::max(dr, dc)) * k) >> t) * rise) >> t);
          break;
        case 2: {
          const int64_t m = within(std::max(dr, dc));
          out = (within(((r0 - m) * (r0 - k)) >> t) * v) >> t;
          break;
        }
        case 3:
        case 4: {
          const int64_t d = int64_t(std::floor(std::sqrt(double(dc * dc + dr * dr))));
          out = v + (((r0 - (d < r0 ? d : r0)) * rise) >> t);
          break;
        }
        case 5:
          out = src[(r / mosaic * mosaic) * size + c / mosaic * mosaic];
          break;
        case 6:
          out = int64_t(double(v) + NextRandomUnit(random) * double(2 * noise) + 0.5 - double(noise));
          break;
        case 7:
          out = v / posterize * posterize;
          break;
        case 8:
          out = v + ((within(std::min(dr, dc)) * rise) >> t);
          break;
        case 9:
          out = v + (((r0 - within(std::min(dr, dc))) * rise) >> t);
          break;
        default:
          break;
      }
      row[c] = ClampHeight(out);
    }
  }
}

void ApplyGridFunction(CHFUnit* grid, uint32_t n, const uint16_t* curve, int32_t mode, int32_t lo, int32_t hi) {
  const size_t count = size_t(n) * n;
  const auto inRange = [lo, hi](int32_t v) { return v >= lo && v <= hi; };
  switch (mode) {
    case kGridInvert:
      for (size_t i = 0; i < count; ++i) grid[i] = CHFUnit(65535 - grid[i]);
      break;
    case kGridTransferCurve:
      // The position is truncated, not rounded: rounding would leave the top half-step no entry to
      // blend toward and lift every height from 65277 up to the last entry.
      if (!curve) return;
      for (size_t i = 0; i < count; ++i) {
        if (!inRange(grid[i])) continue;
        const double x = grid[i] * 127.0 / 65535.0;
        const int64_t e = int64_t(x);
        grid[i] = ClampHeight(CurveAt(curve, e, x - double(e)));
      }
      break;
    case kGridGaussianEdges: {
      const int64_t centre = n / 2;
      const double area = double(n) * n;
      for (int64_t j = 0; j < int64_t(n); ++j) {
        for (int64_t k = 0; k < int64_t(n); ++k) {
          CHFUnit& v = grid[j * n + k];
          if (!inRange(v)) continue;
          const double d2 = double((k - centre) * (k - centre) + (j - centre) * (j - centre));
          v = CHFUnit(v * std::exp(-6.4 * d2 / area));
        }
      }
      break;
    }
    case kGridRowProfileBlend:
    case kGridColumnProfileBlend:
    case kGridRowProfileRaise:
    case kGridColumnProfileRaise:
      if (curve) ApplyProfile(grid, n, curve, mode);
      break;
    default:
      break;
  }
}

void StretchHeightRange(CHFUnit* grid, uint32_t n) {
  const size_t count = size_t(n) * n;
  int64_t low = 65535, high = 0;
  for (size_t i = 0; i < count; ++i) {
    low = std::min<int64_t>(low, grid[i]);
    high = std::max<int64_t>(high, grid[i]);
  }
  if (high <= low || high == 0) return;
  // In doubles: (v − min) × 65535 passes 32 bits once the range passes 32768. Multiplying first keeps
  // the quotient exact, so the highest cell reaches 65535.
  const double range = double(high - low);
  for (size_t i = 0; i < count; ++i) grid[i] = ClampHeight(int64_t(double(grid[i] - low) * 65535.0 / range));
}

bool SmoothHeightRange(CHFUnit* grid, uint32_t n, int32_t lo, int32_t hi) {
  if (n == 0) return true;
  CMemBlockT<CHFUnit> buffer(n * uint32_t(sizeof(CHFUnit)), GetDataPool());
  if (!buffer.IsOwned()) return false;
  CHFUnit* before = buffer.GetTyped();
  const auto inRange = [lo, hi](int32_t v) { return v >= lo && v <= hi; };
  const uint32_t last = n - 2;  // the last cell of a run that is smoothed
  for (uint32_t r = 0; r < n; ++r) {
    CHFUnit* row = grid + size_t(r) * n;
    std::copy(row, row + n, before);
    for (uint32_t c = 1; c + 1 < n; ++c) {
      const int32_t v = before[c];
      if (!inRange(v)) continue;
      row[c] = CHFUnit(c == last ? (before[c - 1] + 3 * v) >> 2 : (before[c - 1] + before[c + 1] + 2 * v) >> 2);
    }
  }
  // Down the columns, row by row: the buffer keeps the row above as it was before this pass.
  std::copy(grid, grid + n, before);
  for (uint32_t r = 1; r + 1 < n; ++r) {
    CHFUnit* row = grid + size_t(r) * n;
    const CHFUnit* below = row + n;
    for (uint32_t c = 0; c < n; ++c) {
      const int32_t v = row[c];
      if (inRange(v)) row[c] = CHFUnit(r == last ? (before[c] + 3 * v) >> 2 : (before[c] + below[c] + 2 * v) >> 2);
      before[c] = CHFUnit(v);
    }
  }
  return true;
}

void BlendHeightGridInRange(const CHFUnit* a, const CHFUnit* b, CHFUnit* dst, uint32_t n, int32_t w, int32_t lo,
                            int32_t hi) {
  const size_t count = size_t(n) * n;
  for (size_t i = 0; i < count; ++i) {
    const int64_t av = a[i], bv = b[i];
    dst[i] = av >= lo && av <= hi ? ClampHeight(av + (((bv - av) * w) >> 8)) : CHFUnit(av);
  }
}

bool CropHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, const SRect& view) {
  if (n == 0) return true;
  const int64_t size = n;
  const int64_t step = ((int64_t(view.right) - view.left) * 65536) / size;
  for (int64_t i = 0; i < size; ++i) {
    const CHFUnit* from = src + ClampIndex(size - 1 - view.top - ((i * step) >> 16), size) * size;
    CHFUnit* to = dst + (size - 1 - i) * size;
    for (int64_t j = 0; j < size; ++j) to[j] = from[ClampIndex(view.left + ((j * step) >> 16), size)];
  }
  return SmoothHeightRange(dst, n, 0, 65535) && SmoothHeightRange(dst, n, 0, 65535);
}

void FitHeightGrid(const CHFUnit* src, CHFUnit* dst, uint32_t n, const SRect& view) {
  const int64_t size = n;
  std::fill(dst, dst + size * size, CHFUnit(0));
  const int64_t width = int64_t(view.right) - view.left, height = int64_t(view.bottom) - view.top;
  if (size == 0 || width <= 0 || height <= 0) return;
  const int64_t step = (size * 65536) / width;
  // View row top + k is grid row n − 1 − top − k; only the rows and columns inside the grid are walked.
  const int64_t firstRow = std::max<int64_t>(0, -int64_t(view.top));
  const int64_t endRow = std::min(height, size - view.top);
  const int64_t firstColumn = std::max<int64_t>(0, -int64_t(view.left));
  const int64_t endColumn = std::min(width, size - view.left);
  for (int64_t k = firstRow; k < endRow; ++k) {
    const CHFUnit* from = src + ClampIndex(size - 1 - ((k * step) >> 16), size) * size;
    CHFUnit* to = dst + (size - 1 - view.top - k) * size;
    for (int64_t l = firstColumn; l < endColumn; ++l) to[view.left + l] = from[ClampIndex((l * step) >> 16, size)];
  }
}
