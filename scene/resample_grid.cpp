#include "scene/resample_grid.h"

#include <algorithm>

namespace {

// Where target index i falls in the source: the cell by integer division, the fraction from the real
// quotient.
struct SSourceStep {
  uint32_t cell = 0;
  uint32_t next = 0;
  double fraction = 0;
};

SSourceStep SourceStep(uint32_t i, uint32_t srcN, uint32_t dstN) {
  const uint64_t scaled = uint64_t(i) * (srcN - 1);
  SSourceStep step;
  step.cell = uint32_t(scaled / (dstN - 1));
  step.next = std::min(step.cell + 1, srcN - 1);
  step.fraction = double(scaled) / (dstN - 1) - step.cell;
  return step;
}

}  // namespace

void ResampleGridBilinear(const CHFUnit* src, CHFUnit* dst, uint32_t srcN, uint32_t dstN) {
  if (srcN == 0 || dstN == 0) return;
  if (dstN == 1) {
    dst[0] = src[0];
    return;
  }
  for (uint32_t i = 0; i < dstN; ++i) {
    const SSourceStep y = SourceStep(i, srcN, dstN);
    const CHFUnit* row = src + size_t(y.cell) * srcN;
    const CHFUnit* below = src + size_t(y.next) * srcN;
    for (uint32_t j = 0; j < dstN; ++j) {
      const SSourceStep x = SourceStep(j, srcN, dstN);
      const double a = row[x.cell], b = row[x.next], c = below[x.cell], d = below[x.next];
      const double top = a + (b - a) * x.fraction;
      const double bottom = c + (d - c) * x.fraction;
      dst[size_t(i) * dstN + j] = CHFUnit(top + (bottom - top) * y.fraction);
    }
  }
}
