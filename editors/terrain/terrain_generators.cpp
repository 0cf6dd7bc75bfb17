#include "editors/terrain/terrain_generators.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "editors/terrain/height_grid_filters.h"
#include "framework/core/holder.h"
#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/random.h"
#include "framework/core/result_codes.h"
#include "platform/clock.h"
#include "scene/height_field.h"

namespace {

// Directions 0 to 7 of an erosion path, from x + 1 turning toward y + 1.
constexpr int32_t kStepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int32_t kStepY[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kFirstDirection = 2;
// Small draws (0..32767) below these: a diagonal is looked at, the path turns left, or right.
constexpr int32_t kSeeDiagonal = 6540;
constexpr int32_t kTurn = 3270;
constexpr int32_t kMostFlatSteps = 5;
constexpr uint32_t kLongestUncarved = 8;
// Paths this long widen their channel from point 10 on, fully (by 0.75) after 54 more.
constexpr uint32_t kWideningLength = 21;
constexpr uint32_t kWideningStart = 10;
constexpr double kWideningRamp = 54;
constexpr double kWideningMost = 0.75;
// Spreads the seeds of erosions begun within one millisecond.
constexpr uint32_t kSeedSpread = 0x9E3779B9;

// Steps of the generators that work on a grid before any erosion.
constexpr int32_t kErodedDrops = 200;
constexpr int32_t kErodedDepth = 200;
constexpr uint32_t kFractalFirstSide = 16;
constexpr uint32_t kMoundsFirstSide = 64;
constexpr int32_t kPlateauFall = 12;
constexpr int32_t kSteepStep = 960;
constexpr int32_t kGentleSlope = 1024;

// Cells around a centre, as (row, column) offsets.
struct SOffset {
  int32_t dr;
  int32_t dc;
};
constexpr SOffset kCross[4] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
constexpr SOffset kMoundCluster[7] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}, {1, -1}, {1, 1}};

uint32_t gErosionCalls = 0;

// Draws of the program's generator: U in [0, 1), a signed draw of about ±32767, a small one of
// 0..32767.
double DrawUnit() { return NextRandomUnit(GetRandomState()); }
int32_t DrawSigned() { return int32_t((DrawUnit() - 0.5) * 65535); }
int32_t DrawSmall() { return int32_t(DrawUnit() * 32767 + 0.5); }

int64_t Wrap(int64_t i, int64_t size) { return ((i % size) + size) % size; }
int64_t Within(int64_t i, int64_t size) { return std::clamp<int64_t>(i, 0, size - 1); }

// Runs step(grid, n) on the field's grid under its lock: 9 when the lock fails, else step's answer.
template <typename Step>
int32_t OnGrid(C3dHeightField* field, Step step) {
  CHolder holder(field, true, false);
  if (!holder.IsLocked()) return kErrOutOfMemory;
  return step(field->GetGrid(), field->GetSide());
}

// OnGrid with a zero-filled n × n scratch grid from the data pool: step(grid, scratch, n), or 9, the
// grid untouched, when the pool refuses the scratch grid.
template <typename Step>
int32_t OnGridWithScratch(C3dHeightField* field, Step step) {
  return OnGrid(field, [&step](CHFUnit* grid, uint32_t n) -> int32_t {
    const uint64_t bytes = uint64_t(n) * n * sizeof(CHFUnit);
    CMemBlockT<CHFUnit> block;
    if (bytes > UINT32_MAX || !block.Init(uint32_t(bytes), GetDataPool())) return kErrOutOfMemory;
    return step(grid, block.GetTyped(), n);
  });
}

int32_t Smoothed(CHFUnit* grid, uint32_t n, int32_t lo, int32_t hi, int32_t passes = 1) {
  for (int32_t i = 0; i < passes; ++i) {
    if (!SmoothHeightRange(grid, n, lo, hi)) return kErrOutOfMemory;
  }
  return kNoErr;
}

// Back at the resolution the generator started with: ResampleGrid only reaches multiples of 16.
int32_t EndAt(C3dHeightField* field, uint32_t n) { return field->ChangeResolution(n) ? kNoErr : kErrOutOfMemory; }

// Each interior cell of to takes the higher of two pairs of neighbours in from, toward a corner drawn
// at random, less a step: plateaus spread and fall off.
void PlateauStep(const CHFUnit* from, CHFUnit* to, uint32_t n) {
  const size_t size = n;
  for (size_t r = 1; r + 1 < size; ++r) {
    const CHFUnit* up = from + (r - 1) * size;
    const CHFUnit* mid = from + r * size;
    const CHFUnit* down = from + (r + 1) * size;
    for (size_t c = 1; c + 1 < size; ++c) {
      const int32_t draw = DrawSigned();
      int32_t x, y;
      if (draw < -16000) {
        x = std::max(up[c - 1], mid[c - 1]);
        y = std::max(mid[c], up[c]);
      } else if (draw < 0) {
        x = std::max(up[c + 1], mid[c + 1]);
        y = std::max(mid[c], up[c]);
      } else if (draw <= 16000) {
        x = std::max(down[c - 1], mid[c - 1]);
        y = std::max(down[c], mid[c]);
      } else {
        x = std::max(down[c + 1], mid[c + 1]);
        y = std::max(down[c], mid[c]);
      }
      to[r * size + c] = CHFUnit(std::max(std::max(x, y) - kPlateauFall, 0));
    }
  }
}

// Seeds clusters of seven cells (a cell, its four neighbours and the two below it diagonally) into the
// cleared scratch grid over a lattice of step 3 from (5, 5), smooths them, lifts them by f over the
// grid and spreads them back into it as plateaus.
int32_t MoundStep(CHFUnit* grid, CHFUnit* mounds, uint32_t n, double f, int32_t lo, int32_t hi) {
  const int64_t size = n;
  const int64_t lattice = size < 11 ? 0 : (size - 8) / 3;
  for (int64_t a = 0; a < lattice; ++a) {
    for (int64_t b = 0; b < lattice; ++b) {
      const int32_t draw = DrawSigned();
      if (draw < 16001) continue;
      const int32_t positive = std::max(draw, 0);
      const CHFUnit value = CHFUnit((draw < 28001 ? 512 : 65535) - (positive & 511));
      const int64_t shift = positive % 3;
      const int64_t row = 5 + 3 * a + (shift == 1 ? 1 : 0), column = 5 + 3 * b + shift;
      for (const SOffset& o : kMoundCluster) mounds[(row + o.dr) * size + column + o.dc] = value;
    }
  }
  if (const int32_t error = Smoothed(mounds, n, lo, hi)) return error;
  for (int64_t i = 0; i < size * size; ++i) mounds[i] = std::max(CHFUnit(mounds[i] * f), grid[i]);
  PlateauStep(mounds, grid, n);
  return kNoErr;
}

// The sum of the absolute differences across a cell, both ways and both diagonals, neighbours limited
// to the grid and the sum to 65535.
CHFUnit SlopeAt(const CHFUnit* grid, int64_t size, int64_t r, int64_t c) {
  const auto at = [&](int64_t dr, int64_t dc) {
    return int64_t(grid[Within(r + dr, size) * size + Within(c + dc, size)]);
  };
  const int64_t sum = std::abs(at(0, -1) - at(0, 1)) + std::abs(at(-1, 0) - at(1, 0)) +
                      std::abs(at(-1, -1) - at(1, 1)) + std::abs(at(-1, 1) - at(1, -1));
  return ClampHeight(sum);
}

}  // namespace

// ---- erosion

void ResetErosionSeedCount() { gErosionCalls = 0; }

void TraceErosionPath(const CHFUnit* grid, uint32_t n, int32_t x, int32_t y, int32_t lo, int32_t hi,
                      SErosionPath& path) {
  path.count = 0;
  if (n == 0) return;
  const int64_t size = n;
  // Neighbours are compared across the edges; a step that would cross one ends the path.
  const auto heightAt = [&](int64_t cx, int64_t cy) { return int32_t(grid[Wrap(cy, size) * size + Wrap(cx, size)]); };
  x = int32_t(Within(x, size));
  y = int32_t(Within(y, size));
  path.points[path.count++] = {x, y, heightAt(x, y)};
  int32_t d = kFirstDirection, flat = 0;
  for (;;) {
    const SErosionPoint last = path.points[path.count - 1];
    int32_t best = heightAt(last.x + kStepX[d], last.y + kStepY[d]);
    for (int32_t k = 0; k < 8; ++k) {
      if ((k & 1) && DrawSmall() >= kSeeDiagonal) continue;
      const int32_t h = heightAt(last.x + kStepX[k], last.y + kStepY[k]);
      if (h < best) {
        best = h;
        d = k;
      }
    }
    if (DrawSmall() < kTurn)
      d = (d + 1) % 8;
    else if (DrawSmall() < kTurn)
      d = (d + 7) % 8;
    const int64_t cx = int64_t(last.x) + kStepX[d], cy = int64_t(last.y) + kStepY[d];
    const int32_t h = heightAt(cx, cy);
    flat += h == last.h ? 1 : -1;
    if (path.count == SErosionPath::kMaxPoints || cx < 0 || cy < 0 || cx >= size || cy >= size || h > last.h ||
        flat > kMostFlatSteps || h > hi || h <= lo)
      return;
    path.points[path.count++] = {int32_t(cx), int32_t(cy), h};
  }
}

void CarveErosionPath(SErosionPath& path, int32_t k) {
  if (path.count == 0) return;
  const int64_t bottom = path.points[path.count - 1].h;
  const uint32_t half = path.count / 2;
  int64_t depth = 64;
  for (uint32_t i = 0; i < path.count; ++i) {
    int32_t& h = path.points[i].h;
    if (i < half) {
      h = int32_t(std::max(h - std::min<int64_t>(depth >> 6, 256) * 32, bottom));
      depth += k;
    } else {
      h = int32_t(std::max(h - (depth >> 6) * 32, bottom));
      depth -= k;
    }
  }
}

void SmoothErosionPath(SErosionPath& path) {
  if (path.count < 2) return;
  // Each point reads only itself and the two after it, which are not rewritten yet.
  const uint32_t last = path.count - 1;
  for (uint32_t i = 0; i < last; ++i) {
    const uint32_t next = std::min(i + 1, last), after = std::min(next + 1, last);
    SErosionPoint* p = path.points;
    p[i].h = (2 * p[i].h + p[next].h + p[after].h) >> 2;
  }
}

void WriteErosionPath(CHFUnit* grid, uint32_t n, const SErosionPath& path) {
  if (n == 0) return;
  const int64_t size = n;
  for (uint32_t i = 0; i < path.count; ++i) {
    const SErosionPoint& p = path.points[i];
    grid[Within(p.y, size) * size + Within(p.x, size)] = ClampHeight(p.h);
  }
  if (path.count < kWideningLength) return;
  for (uint32_t i = kWideningStart; i < path.count; ++i) {
    const SErosionPoint& p = path.points[i];
    const double a = std::min((i - kWideningStart) / kWideningRamp, kWideningMost);
    for (const SOffset& o : kCross) {
      const int64_t x = int64_t(p.x) + o.dc, y = int64_t(p.y) + o.dr;
      if (x < 0 || y < 0 || x >= size || y >= size) continue;
      CHFUnit& g = grid[y * size + x];
      g = ClampHeight(int64_t(g + (p.h - g) * a));
    }
  }
}

void ErodeHeightGrid(CHFUnit* grid, uint32_t n, const SPointHV* centre, uint32_t drops, int32_t k, int32_t lo,
                     int32_t hi) {
  if (n == 0) return;
  // Seeded from the clock alone, erosions within one millisecond (the two of an eroded terrain) would
  // drop the same drops.
  SRandomState& random = GetRandomState();
  random.x = uint32_t(platform::NowMs()) + gErosionCalls++ * kSeedSpread;
  random.i = random.j = 1;
  const int64_t size = n;
  // A grid too small to keep the drops off its two outer rings lets them start anywhere.
  const int64_t margin = size > 4 ? 2 : 0, span = size - 2 * margin;
  SErosionPath path;
  for (uint32_t drop = 0; drop < drops; ++drop) {
    const int64_t q1 = DrawSmall(), q2 = DrawSmall();
    int64_t x = q1 % span + margin, y = q2 % span + margin;
    if (centre) {
      x = Within(centre->h + q1 % 8 - 4, size);
      y = Within(size - centre->v + q2 % 8 - 4, size);
    }
    TraceErosionPath(grid, n, int32_t(x), int32_t(y), lo, hi, path);
    if (path.count <= kLongestUncarved) continue;
    CarveErosionPath(path, k);
    SmoothErosionPath(path);
    SmoothErosionPath(path);
    WriteErosionPath(grid, n, path);
  }
}

// ---- generators

int32_t FractalHeightGrid(C3dHeightField* field) {
  const uint32_t start = field->GetSide();
  if (start == 0) return kNoErr;
  int32_t amplitude = 65535;
  uint32_t side = start;
  for (uint32_t s = kFractalFirstSide;; s *= 2) {
    if (const int32_t error = field->ResampleGrid(&side, s)) return error;
    const int32_t error = OnGrid(field, [amplitude](CHFUnit* grid, uint32_t n) -> int32_t {
      C3dHeightField::PerturbGrid(grid, n, amplitude, GetRandomState());
      C3dHeightField::ClearBorder(grid, n);
      return kNoErr;
    });
    if (error) return error;
    amplitude /= 2;
    if (side >= start) break;
  }
  const int32_t error = OnGrid(field, [](CHFUnit* grid, uint32_t n) -> int32_t {
    StretchHeightRange(grid, n);
    return kNoErr;
  });
  return error ? error : EndAt(field, start);
}

int32_t BuildErodedHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi) {
  const uint32_t start = field->GetSide();
  if (start == 0) return kNoErr;
  uint32_t s = std::max(start / 4, 16u), side = start;
  int32_t drops = kErodedDrops, k = kErodedDepth;
  if (const int32_t error = field->ResampleGrid(&side, s)) return error;
  int32_t error = OnGrid(field, [lo, hi](CHFUnit* grid, uint32_t n) -> int32_t {
    C3dHeightField::ClearBorder(grid, n);
    return Smoothed(grid, n, lo, hi, 2);
  });
  if (error) return error;
  do {
    if ((error = field->ResampleGrid(&side, s))) return error;
    // Eroding the inverted grid carves ridges; the second inversion turns it back.
    error = OnGrid(field, [&](CHFUnit* grid, uint32_t n) -> int32_t {
      StretchHeightRange(grid, n);
      for (int32_t pass = 0; pass < 2; ++pass) {
        if (const int32_t failed = Smoothed(grid, n, lo, hi)) return failed;
        ErodeHeightGrid(grid, n, nullptr, uint32_t(drops), k, lo, hi);
        ApplyGridFunction(grid, n, nullptr, kGridInvert, 0, 65535);
      }
      return kNoErr;
    });
    if (error) return error;
    drops *= 2;
    s *= 2;
    k = k * 2 / 3;
  } while (side < start);
  error = OnGrid(field, [lo, hi](CHFUnit* grid, uint32_t n) -> int32_t { return Smoothed(grid, n, lo, hi); });
  return error ? error : EndAt(field, start);
}

int32_t SpikesHeightGrid(C3dHeightField* field) {
  return OnGridWithScratch(field, [](CHFUnit* grid, CHFUnit* spikes, uint32_t n) -> int32_t {
    const int64_t size = n;
    const int64_t lattice = size < 8 ? 0 : (size - 5) / 3;
    for (int64_t a = 0; a < lattice; ++a) {
      for (int64_t b = 0; b < lattice; ++b) {
        const int32_t draw = DrawSigned();
        const CHFUnit value = draw >= 28001 ? 65535 : draw >= 16001 ? 63487 : 0;
        const int64_t row = 1 + 3 * a, column = 1 + 3 * b + std::max(draw, 0) % 3;
        spikes[row * size + column] = value;
        for (const SOffset& o : kCross) spikes[(row + o.dr) * size + column + o.dc] = CHFUnit(value / 2);
      }
    }
    // Spikes rise only where the slope is gentle; the last row and column stay as they are.
    for (int64_t r = 0; r < size; ++r) {
      for (int64_t c = 0; c < size; ++c) {
        const int64_t i = r * size + c;
        int64_t h = grid[i];
        const bool inside = r + 1 < size && c + 1 < size;
        if (inside && std::abs(grid[i + size] + grid[i + 1] - 2 * h) < kGentleSlope) h += spikes[i] * 16384 / 65535;
        spikes[i] = ClampHeight(h);
      }
    }
    std::copy(spikes, spikes + size * size, grid);
    return kNoErr;
  });
}

int32_t MoundsHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi) {
  const uint32_t start = field->GetSide();
  if (start == 0) return kNoErr;
  const auto step = [&](double f) {
    return OnGridWithScratch(
        field, [&](CHFUnit* grid, CHFUnit* mounds, uint32_t n) { return MoundStep(grid, mounds, n, f, lo, hi); });
  };
  if (start <= kMoundsFirstSide) return step(0.5);
  double f = 0.5;
  uint32_t side = start;
  for (uint32_t s = kMoundsFirstSide;; s *= 2) {
    if (const int32_t error = field->ResampleGrid(&side, s)) return error;
    if (const int32_t error = step(f)) return error;
    f /= 2;
    if (side >= start) break;
  }
  return EndAt(field, start);
}

int32_t SawtoothHeightGrid(C3dHeightField* field) {
  return OnGrid(field, [](CHFUnit* grid, uint32_t n) -> int32_t {
    const int64_t size = n;
    for (int32_t wave = 0; wave < 16; ++wave) {
      const int64_t a = DrawSmall(), b = DrawSmall(), c = DrawSmall();
      for (int64_t i = 0; i < size; ++i) {
        for (int64_t j = 0; j < size; ++j) {
          const int64_t phase = c * a + i * b + j * a;
          CHFUnit& h = grid[i * size + j];
          h = ClampHeight(h + (((phase / size) % 32767 - 16383) >> 1));
        }
      }
    }
    return kNoErr;
  });
}

int32_t SubcontoursHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi) {
  return OnGridWithScratch(field, [lo, hi](CHFUnit* grid, CHFUnit* flat, uint32_t n) -> int32_t {
    const int64_t size = n;
    std::copy(grid, grid + size * size, flat);
    // Steepness is read from the terrain, not from the copy being cleared.
    for (int64_t r = 0; r < size; ++r) {
      for (int64_t c = 1; c + 1 < size; ++c) {
        const int64_t i = r * size + c;
        if (std::abs(grid[i - 1] - grid[i + 1]) > kSteepStep) flat[i] = 0;
      }
    }
    for (int64_t r = 1; r + 1 < size; ++r) {
      for (int64_t c = 0; c < size; ++c) {
        const int64_t i = r * size + c;
        if (std::abs(grid[i - size] - grid[i + size]) > kSteepStep) flat[i] = 0;
      }
    }
    if (const int32_t error = Smoothed(flat, n, lo, hi)) return error;
    for (int64_t i = 0; i < size * size; ++i) grid[i] = CHFUnit(flat[i] + (grid[i] - flat[i]) * 40 / 100);
    return kNoErr;
  });
}

int32_t SubplateausHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi) {
  return OnGridWithScratch(field, [lo, hi](CHFUnit* grid, CHFUnit* copy, uint32_t n) -> int32_t {
    std::copy(grid, grid + size_t(n) * n, copy);
    for (int32_t pass = 0; pass < 2; ++pass) {
      PlateauStep(grid, copy, n);
      PlateauStep(copy, grid, n);
    }
    return Smoothed(grid, n, lo, hi);
  });
}

int32_t SlopeNoiseHeightGrid(C3dHeightField* field, int32_t lo, int32_t hi) {
  return OnGridWithScratch(field, [lo, hi](CHFUnit* grid, CHFUnit* slopes, uint32_t n) -> int32_t {
    const int64_t size = n;
    for (int64_t r = 0; r < size; ++r)
      for (int64_t c = 0; c < size; ++c) slopes[r * size + c] = SlopeAt(grid, size, r, c);
    if (const int32_t error = Smoothed(slopes, n, lo, hi)) return error;
    for (int64_t i = 0; i < size * size; ++i) {
      const double s = slopes[i];
      grid[i] = ClampHeight(grid[i] + int64_t((DrawUnit() * 2 * s + 0.5 - s) * 128 * 32 / 65535));
    }
    return kNoErr;
  });
}

int32_t HeightNoiseHeightGrid(C3dHeightField* field) {
  return OnGrid(field, [](CHFUnit* grid, uint32_t n) -> int32_t {
    for (size_t i = 0; i < size_t(n) * n; ++i)
      grid[i] = ClampHeight(grid[i] + int64_t((DrawUnit() * (grid[i] >> 1) + 0.5) * 1280 / 65535));
    return kNoErr;
  });
}
