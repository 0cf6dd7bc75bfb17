#include "scene/height_field_grid.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

namespace {

// A thread's tables of kept normals, for the last few grids it rendered.
struct SThreadKept {
  const CHeightFieldGrid* grid = nullptr;
  uint64_t stamp = 0;
  std::unique_ptr<CHeightFieldGrid::SKeptNormal[]> table;
};
thread_local std::array<SThreadKept, 4> tKept;
thread_local uint32_t tNextKept = 0;
std::atomic<uint64_t> gNextRenderStamp{1};

// The direction a thread's rising shadow walks over one grid asked for last, and how many in a row did.
struct SHorizonStreak {
  const CHeightFieldGrid* grid = nullptr;
  uint64_t stamp = 0;
  vector3<double> direction;
  uint32_t count = 0;
};
thread_local SHorizonStreak tHorizonStreak;
// Walks in a row along one direction that earn it a table: a sun's shadow rays soon do, a point
// light's, each along its own direction, never.
constexpr uint32_t kHorizonStreak = 32;
// Steeper rays leave their tile's top within a cell or two.
constexpr double kSteepest = 1000;

}  // namespace

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Relative to the size of the terms, far more than two ways of rounding the same value can differ by:
// the tests that pass cells and triangles by without the exact test keep this far from its edge.
constexpr double kRoundingSlack = 1e-12;

STableLayout TileLayout() {
  CAppl* app = GetApplication();
  STableLayout layout;
  layout.SetSized(app ? app->GetDataEnv() : nullptr, sizeof(uint32_t), 0);
  return layout;
}

SSpoolTableSpec TileSpec() {
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  return spec;
}

uint32_t Tile(uint32_t smallest, uint32_t largest) { return largest << 16 | smallest; }
uint32_t Smallest(uint32_t tile) { return tile & 0xFFFF; }
uint32_t Largest(uint32_t tile) { return tile >> 16; }

vector3<double> Normalised(const vector3<double>& v) {
  const double k = FastInvSqrt(Dot(v, v));
  return std::isfinite(k) ? v * k : vector3<double>{0, 1, 0};
}

}  // namespace

// One query's state. The ray is copied out of the query so that the loops keep it at hand.
struct CHeightFieldGrid::SHorizon {
  vector3<double> direction;
  // Per cell, in the fine level's order: the largest of the heights of the cells the ray can reach from
  // the cell onwards, each less rise for every cell boundary between them, rounded up.
  std::unique_ptr<float[]> bound;
  // The least the ray rises per boundary it crosses: to cross a along x and b along z it runs at
  // least max(a / |x|, b / |z|) ≥ (a + b) / (|x| + |z|).
  double rise = 0;
};

struct CHeightFieldGrid::SWalk {
  const CHFUnit* heights = nullptr;
  const uint32_t* tiles[2] = {};
  const SHeightQuery* query = nullptr;
  vector3<double> origin;
  vector3<double> direction;
  double acceptLow = 0;
  double acceptHigh = 0;
  int32_t step[2] = {};
  // 1 / direction along x and z; 0 along an axis the ray does not move along.
  double inverse[2] = {};
  // 1 / direction.y for a sinking ray, which every candidate tile asks for.
  double inverseY = 0;
  bool moves = false;
  // The largest magnitudes among the origin's and the direction's components.
  double originSize = 0;
  double directionSize = 0;
  // How far, in the ray's parameter, rounding can move where it crosses a cell boundary.
  double boundarySlack = 0;
  double best = kInfinity;
  bool found = false;
  bool refused = false;
  // Where the hit found last goes.
  SHeightHit* hit = nullptr;

  // Whether a cell (or a tile) that the ray leaves at parameter exit ends so far before the accepted
  // interval that the cell test would find its window empty: the walk begins a little behind the ray's
  // start, and a shadow ray starts on the surface, whose cells there are candidates.
  bool EndsBeforeAccepted(double exit) const {
    return acceptLow - exit > kRoundingSlack * (4 * (std::fabs(acceptLow) + std::fabs(exit)) + 2 * boundarySlack);
  }

  // Where a walk from t over cells no higher than largest has its first cell worth a look: every cell
  // the ray leaves before then either ends before the accepted interval or lies wholly below a ray
  // that is sinking towards it. The margins are far wider than the rounding of any of the terms, so
  // that the cell found there is never past the first one the full walk would have tested.
  double UsefulFrom(double t, double largest) const {
    double from = std::max(t, acceptFrom);
    if (direction.y < 0) {
      const double reach = (std::fabs(origin.y) + std::fabs(largest)) * std::fabs(inverseY);
      const double sunk = (largest - origin.y) * inverseY - kRoundingSlack * (8 * reach + 4 * boundarySlack);
      if (sunk > from) from = sunk;
    }
    return from;
  }

  // Cells that end before this end before the accepted interval.
  double acceptFrom = -kInfinity;
  // The horizon table of the ray's direction, if any; how far above a cell's bound the ray must enter
  // the cell for the walk to end there, and its rise per cell boundary.
  const float* horizon = nullptr;
  double clearance = 0;
  double rise = 0;
  // How far the ray must lie from a triangle's plane at both ends of a cell's window for the exact
  // test to be passed over: one bound for every cell of the walk, from the largest slope, corner,
  // window end and ray term any of them can have.
  double planeMargin = 0;
};

CHeightFieldGrid::CHeightFieldGrid() : fFine(TileLayout(), TileSpec()), fCoarse(TileLayout(), TileSpec()) {}

CHeightFieldGrid::~CHeightFieldGrid() { EndRender(); }

int32_t CHeightFieldGrid::TileShift(uint32_t n) {
  int32_t shift = 0;
  while (shift < 16 && (65535u >> shift) >= n) ++shift;
  return shift;
}

void CHeightFieldGrid::Clear() {
  EndRender();
  fBuilt = false;
}

int32_t CHeightFieldGrid::Build(const CHFUnit* heights, uint32_t n) {
  Clear();
  fSide = n;
  fShift = TileShift(n);
  // The last tile of a side covers what is left when n is no multiple of 16.
  fCoarseSide = (n + kTileCells - 1) / kTileCells;
  if (n == 0) return kErrInvalidParameter;
  if (!fFine.SetSize(sizeof(uint32_t), n * n, false, false) ||
      !fCoarse.SetSize(sizeof(uint32_t), fCoarseSide * fCoarseSide, false, false))
    return kErrOutOfMemory;
  CHolder fine(&fFine, true, false);
  CHolder coarse(&fCoarse, true, false);
  if (!fine.IsLocked() || !coarse.IsLocked()) return kErrOutOfMemory;
  uint32_t* fineTiles = fFine.GetRecords();
  uint32_t* coarseTiles = fCoarse.GetRecords();
  std::fill(coarseTiles, coarseTiles + fCoarseSide * fCoarseSide, Tile(0xFFFF, 0));
  const uint32_t last = n - 1;
  // Row by row, a tile's run of cells at a time: a document's terrain is built on every load.
  for (uint32_t z = 0; z < n; ++z) {
    const CHFUnit* row = heights + size_t(z) * n;
    const CHFUnit* nextRow = heights + size_t(std::min(z + 1, last)) * n;
    uint32_t* cells = fineTiles + size_t(z) * n;
    const auto cell = [&](uint32_t x, uint32_t far) {
      const uint32_t a = row[x], b = row[far], c = nextRow[x], d = nextRow[far];
      return Tile(std::min(std::min(a, b), std::min(c, d)), std::max(std::max(a, b), std::max(c, d)));
    };
    for (uint32_t x = 0; x < last; ++x) cells[x] = cell(x, x + 1);
    // The last cell of a row has its far corners clamped onto its near ones.
    cells[last] = cell(last, last);
    uint32_t* blocks = coarseTiles + size_t(z / kTileCells) * fCoarseSide;
    for (uint32_t from = 0; from < n; from += kTileCells) {
      uint32_t smallest = Smallest(blocks[from / kTileCells]), largest = Largest(blocks[from / kTileCells]);
      for (uint32_t x = from, to = std::min(from + kTileCells, n); x < to; ++x) {
        smallest = std::min(smallest, Smallest(cells[x]));
        largest = std::max(largest, Largest(cells[x]));
      }
      blocks[from / kTileCells] = Tile(smallest, largest);
    }
  }
  uint32_t wholeSmallest = 0xFFFF, wholeLargest = 0;
  for (uint32_t i = 0; i < fCoarseSide * fCoarseSide; ++i) {
    wholeSmallest = std::min(wholeSmallest, Smallest(coarseTiles[i]));
    wholeLargest = std::max(wholeLargest, Largest(coarseTiles[i]));
  }
  fWhole = Tile(wholeSmallest, wholeLargest);
  fBuilt = true;
  return kNoErr;
}

void CHeightFieldGrid::BeginRender() {
  if (fRendering || !fBuilt || !fFine.Lock()) return;
  fRendering = fCoarse.Lock();
  if (!fRendering) {
    fFine.Unlock(false, false);
    return;
  }
  fRenderStamp = gNextRenderStamp.fetch_add(1);
}

void CHeightFieldGrid::EndRender() {
  if (!fRendering) return;
  ForgetHorizons();
  fRendering = false;
  fRenderStamp = 0;
  fCoarse.Unlock(false, false);
  fFine.Unlock(false, false);
}

// ---- the walk

bool CHeightFieldGrid::Intersect(const CHFUnit* heights, const SHeightQuery& query, SHeightHit* hit) {
  if (!fBuilt) return false;
  // Both levels stay locked through a render.
  if (fRendering) return Walk(heights, query, hit);
  CHolder fine(&fFine, false, false);
  CHolder coarse(&fCoarse, false, false);
  return fine.IsLocked() && coarse.IsLocked() && Walk(heights, query, hit);
}

bool CHeightFieldGrid::Walk(const CHFUnit* heights, const SHeightQuery& query, SHeightHit* hit) {
  SWalk walk;
  std::optional<SHeightHit> scratch;
  walk.hit = hit ? hit : &scratch.emplace();
  walk.heights = heights;
  walk.tiles[0] = fFine.GetRecords();
  walk.tiles[1] = fCoarse.GetRecords();
  walk.query = &query;
  const vector3<double>& o = walk.origin = query.origin;
  const vector3<double>& d = walk.direction = query.direction;
  // Hits a little beyond the box still count; the caller holds them to the ray's own interval.
  walk.acceptLow = query.tNear - 0.1 * std::fabs(query.tNear);
  walk.acceptHigh = query.tFar + 0.1 * std::fabs(query.tFar);
  walk.step[0] = d.x > 0 ? 1 : d.x < 0 ? -1 : 0;
  walk.step[1] = d.z > 0 ? 1 : d.z < 0 ? -1 : 0;
  walk.inverse[0] = walk.step[0] ? 1 / d.x : 0;
  walk.inverse[1] = walk.step[1] ? 1 / d.z : 0;
  walk.inverseY = d.y < 0 ? 1 / d.y : 0;
  walk.moves = walk.step[0] || walk.step[1];
  walk.originSize = std::max({std::fabs(o.x), std::fabs(o.y), std::fabs(o.z)});
  walk.directionSize = std::max({std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
  walk.boundarySlack = (walk.originSize + fSide + 2) * (std::fabs(walk.inverse[0]) + std::fabs(walk.inverse[1]));
  walk.acceptFrom = walk.acceptLow - kRoundingSlack * (8 * (std::fabs(walk.acceptLow) + std::fabs(query.tNear) + 1) +
                                                       4 * walk.boundarySlack);

  const SHeightBounds bounds{double(Smallest(fWhole) >> fShift), double(Largest(fWhole) >> fShift)};
  if (fRendering && !query.spans && !query.shading && !query.symmetric && d.y > 0 && walk.moves &&
      d.y < kSteepest * (std::fabs(d.x) + std::fabs(d.z))) {
    if (const SHorizon* horizon = HorizonFor(d)) {
      walk.horizon = horizon->bound.get();
      // The first cell of a tile's walk the ray may enter anywhere on its near sides: to the next cell
      // along each axis it may cross no whole cell, two rises. Every later one it enters across a
      // boundary, and along that axis it crosses each cell ahead whole: one rise. A margin far beyond
      // the rounding of the ray's heights and of the table.
      const double longest = std::max(std::fabs(query.tNear), std::fabs(query.tFar)) + 2;
      const double reach = std::fabs(o.y) + bounds.largest + d.y * longest + horizon->rise * fSide + 1;
      walk.rise = horizon->rise;
      walk.clearance = 2 * horizon->rise + 1e-9 * reach;
    }
  }
  {
    // A reflection's heights lie within |2 × lower| of the terrain's; a window's ends within its
    // widening, a few rounding slacks, of the accepted interval.
    const double rise = bounds.largest - bounds.smallest, height = bounds.largest + std::fabs(2 * query.lower);
    const double slope = 1 + 4 * rise, corner = std::max(double(fSide) + 1, height);
    const double accepted = std::max(std::fabs(walk.acceptLow), std::fabs(walk.acceptHigh));
    const double reach = accepted + 4 * kRoundingSlack * (4 * accepted + walk.boundarySlack) + 1;
    walk.planeMargin = 2 * kRoundingSlack * slope * (walk.originSize + corner + reach * walk.directionSize);
  }
  // A ray along neither x nor z looks at its one column from a little behind its start.
  const double from = walk.moves ? walk.UsefulFrom(query.tNear - 1, bounds.largest) : query.tNear - 1;
  if (from > query.tFar + 1) return false;
  const vector3<double> entry = o + d * from;
  const vector3<double> exit = o + d * (query.tFar + 1);
  const int32_t last = int32_t(fCoarseSide) - 1;
  const auto cellOf = [last](double coordinate) {
    const double cell = coordinate / kTileCells;
    return cell >= last ? last : cell > 0 ? int32_t(cell) : 0;
  };
  const SCellRange range{{cellOf(entry.x), cellOf(entry.z)}, {cellOf(exit.x), cellOf(exit.z)}, {0, 0}, {last, last}};
  if (query.symmetric) WalkLevel<1, true>(walk, from, range, bounds);
  else if (walk.horizon) WalkLevel<1, false, true>(walk, from, range, bounds);
  else WalkLevel<1, false>(walk, from, range, bounds);
  return walk.found && !walk.refused;
}

double CHeightFieldGrid::NextBoundary(int32_t factor, int32_t cell, int32_t step, double origin, double inverse) {
  if (step > 0) return (double(factor) * (cell + 1) - origin) * inverse;
  if (step < 0) return (double(factor) * cell - origin) * inverse;
  return kInfinity;
}

namespace {

// Where the ray entered the cell along one axis: the boundary behind it, as the cell before would
// have computed it; −∞ along an axis the ray does not move along.
double LastBoundary(int32_t cell, int32_t step, double origin, double inverse) {
  if (step > 0) return (double(cell) - origin) * inverse;
  if (step < 0) return (double(cell + 1) - origin) * inverse;
  return -kInfinity;
}

}  // namespace

// The ray's parameter runs on from where it entered the start cell: each cell's exit is the nearer of
// the next x and z boundaries, kept as running values so that a step costs no division. Cells that the
// ray passes wholly above the largest height (or below the smallest) the walk allows for are passed by
// without a look at their tile; the walk ends once the ray has risen above (or sunk below) every cell
// still ahead.
template <int kLevel, bool kSymmetric, bool kHorizon>
bool CHeightFieldGrid::WalkLevel(SWalk& walk, double t, const SCellRange& range, const SHeightBounds& bounds) {
  if (!walk.moves) return WalkColumn<kLevel, kSymmetric>(walk, t, range, bounds);
  const vector3<double> o = walk.origin, d = walk.direction;
  constexpr int32_t factor = kLevel ? kTileCells : 1;
  const uint32_t* tiles = walk.tiles[kLevel];
  const size_t side = kLevel ? fCoarseSide : fSide;
  const int32_t shift = fShift;
  const double reflection = 2 * walk.query->lower;
  const bool spans = walk.query->spans;
  const int32_t stepX = walk.step[0], stepZ = walk.step[1];
  const double inverseX = walk.inverse[0], inverseZ = walk.inverse[1];
  // The cell index whose boundary lies ahead, relative to the cell.
  const int32_t aheadX = stepX > 0, aheadZ = stepZ > 0;
  int32_t cx = range.start[0], cz = range.start[1];
  // The tile's place in its level, moved with the cell.
  ptrdiff_t at = ptrdiff_t(cz) * ptrdiff_t(side) + cx;
  const ptrdiff_t rowStep = stepZ * ptrdiff_t(side);
  double nextX = NextBoundary(factor, cx, stepX, o.x, inverseX);
  double nextZ = NextBoundary(factor, cz, stepZ, o.z, inverseZ);
  // Cells only: the boundaries the ray crossed into the cell.
  double lastX = kLevel ? 0 : LastBoundary(cx, stepX, o.x, inverseX);
  double lastZ = kLevel ? 0 : LastBoundary(cz, stepZ, o.z, inverseZ);
  // A cell is no candidate while the ray's lowest point in it is at or above the largest height the
  // walk allows for, nor while its highest point lies below the smallest (for a reflection: not above
  // its lowest). Once the ray has risen too high, or sunk too low, the walk is over.
  const double floor = kSymmetric ? reflection - bounds.largest : bounds.smallest;
  const bool mayRiseAway = d.y >= 0, maySinkAway = d.y <= 0;
  const float* const horizon = walk.horizon;
  double clearance = walk.clearance;
  // Until a cell ends inside the accepted interval; none after it ends before. A walk from inside the
  // interval has none that ends before it: a cell's exit lies past the walk's start but for the
  // rounding of a boundary, far below the margin of that test.
  bool early = !(t >= walk.acceptLow);
  double y0 = o.y + d.y * t;
  for (;;) {
    // Ties step in z; an axis the ray does not move along has no next boundary.
    const bool alongX = nextX < nextZ;
    const double exit = alongX ? nextX : nextZ;
    const double y1 = o.y + d.y * exit;
    const double top = std::max(y0, y1), bottom = std::min(y0, y1);
    const bool above = bottom >= bounds.largest, below = kSymmetric ? top <= floor : top < floor;
    if ((mayRiseAway && above) || (maySinkAway && below)) return false;
    if (early) early = walk.EndsBeforeAccepted(exit);
    if constexpr (kLevel == 0 && kHorizon) {
      // Rising clear of every cell still ahead: nothing further can be hit.
      if (y0 > horizon[at] + clearance) return true;
    }
    if (!above && !below && !early) {
      const uint32_t tile = tiles[at];
      const double smallest = Smallest(tile) >> shift, largest = Largest(tile) >> shift;
      const bool candidate =
          kSymmetric ? top > reflection - largest && bottom < largest : smallest <= top && bottom < largest;
      if (candidate) {
        if constexpr (kLevel == 1) {
          const double from = walk.UsefulFrom(t, largest);
          if (from < exit &&
              WalkLevel<0, kSymmetric, kHorizon>(walk, from, FineRange(walk, from, exit, cx, cz),
                                                 {smallest, largest}))
            return true;
        } else if (TestCell<kSymmetric>(walk, cx, cz, std::max(lastX, lastZ), exit)) {
          return true;
        }
        if (walk.found && !spans) return true;
      }
    }
    if (cx == range.end[0] && cz == range.end[1]) return false;
    if (alongX) {
      cx += stepX;
      at += stepX;
      if (cx < range.low[0] || cx > range.high[0]) return false;
      lastX = nextX;
      nextX = (double(factor * (cx + aheadX)) - o.x) * inverseX;
    } else {
      cz += stepZ;
      at += rowStep;
      if (cz < range.low[1] || cz > range.high[1]) return false;
      lastZ = nextZ;
      nextZ = (double(factor * (cz + aheadZ)) - o.z) * inverseZ;
    }
    if constexpr (kLevel == 0 && kHorizon) clearance = walk.clearance - walk.rise;
    t = exit;
    y0 = y1;
  }
}

// A ray that moves along neither x nor z stays in its start cell, over which it runs for kNoCrossing.
template <int kLevel, bool kSymmetric>
bool CHeightFieldGrid::WalkColumn(SWalk& walk, double t, const SCellRange& range, const SHeightBounds&) {
  const vector3<double> o = walk.origin, d = walk.direction;
  const double reflection = 2 * walk.query->lower;
  const int32_t cx = range.start[0], cz = range.start[1];
  const double exit = t + kNoCrossing;
  const double y0 = o.y + d.y * t, y1 = o.y + d.y * exit;
  const double top = std::max(y0, y1), bottom = std::min(y0, y1);
  const uint32_t tile = walk.tiles[kLevel][size_t(cz) * (kLevel ? fCoarseSide : fSide) + size_t(cx)];
  const double smallest = Smallest(tile) >> fShift, largest = Largest(tile) >> fShift;
  const bool candidate =
      kSymmetric ? top > reflection - largest && bottom < largest : smallest <= top && bottom < largest;
  if (!candidate) return false;
  if constexpr (kLevel == 1) {
    return WalkLevel<0, kSymmetric>(walk, t, FineRange(walk, t, exit, cx, cz), {smallest, largest});
  } else {
    return TestCell<kSymmetric>(walk, cx, cz, -kInfinity, kInfinity) || (walk.found && !walk.query->spans);
  }
}

// The cells of tile (tx, tz) that the ray's stretch [from, to] inside it runs from and to.
CHeightFieldGrid::SCellRange CHeightFieldGrid::FineRange(const SWalk& walk, double from, double to, int32_t tx,
                                                         int32_t tz) const {
  SCellRange range;
  range.low[0] = tx * kTileCells;
  range.low[1] = tz * kTileCells;
  range.high[0] = std::min(range.low[0] + kTileCells, int32_t(fSide)) - 1;
  range.high[1] = std::min(range.low[1] + kTileCells, int32_t(fSide)) - 1;
  const auto cellOf = [](double coordinate, int32_t lo, int32_t hi) {
    return coordinate >= hi ? hi : coordinate > lo ? int32_t(coordinate) : lo;
  };
  const double fromX = walk.origin.x + walk.direction.x * from, fromZ = walk.origin.z + walk.direction.z * from;
  const double toX = walk.origin.x + walk.direction.x * to, toZ = walk.origin.z + walk.direction.z * to;
  range.start[0] = cellOf(fromX, range.low[0], range.high[0]);
  range.start[1] = cellOf(fromZ, range.low[1], range.high[1]);
  range.end[0] = cellOf(toX, range.low[0], range.high[0]);
  range.end[1] = cellOf(toZ, range.low[1], range.high[1]);
  return range;
}

// Tests the cell's two triangles (and their reflections), which the ray crosses over the stretch
// [from, to] of its parameter; true when a callback refused a hit.
template <bool kSymmetric>
bool CHeightFieldGrid::TestCell(SWalk& walk, int32_t cx, int32_t cz, double from, double to) {
  const SHeightQuery& query = *walk.query;
  // A hit must lie in the accepted interval as well as over the cell; the window covers both, widened
  // by the rounding of the boundaries and of the exact test's inside test.
  const double high = query.spans ? walk.acceptHigh : std::min(walk.acceptHigh, walk.best);
  const double low = std::max(from, walk.acceptLow);
  to = std::min(to, high);
  const double widening = kRoundingSlack * (2 * (std::fabs(low) + std::fabs(to)) + walk.boundarySlack);
  const SWindow window{low - widening, to + widening};
  if (window.from > window.to) return false;
  const int32_t last = int32_t(fSide) - 1;
  const size_t row = size_t(cz) * fSide, nextRow = size_t(std::min(cz + 1, last)) * fSide;
  const size_t x0 = size_t(cx), x1 = size_t(std::min(cx + 1, last));
  const double h00 = walk.heights[row + x0] >> fShift, h10 = walk.heights[row + x1] >> fShift;
  const double h11 = walk.heights[nextRow + x1] >> fShift, h01 = walk.heights[nextRow + x0] >> fShift;
  const double reflection = 2 * query.lower;
  if (CellTriangles<false>(walk, cx, cz, window, h00, h10, h11, h01)) return true;
  return kSymmetric && CellTriangles<true>(walk, cx, cz, window, reflection - h00, reflection - h10,
                                           reflection - h11, reflection - h01);
}

// The cell's two triangles over the corner heights given.
//
// Most candidate cells are missed, and only an accepted hit needs a triangle's unit normal: the exact
// test meets the plane through its unnormalised normal, and its division is its dearest step. So each
// triangle's plane is first met at the two ends of the window, as heights over the cell: when the ray
// lies on one side of the plane at both, by more than a generous bound on the rounding of both this
// test and the exact one, the exact test could not find a hit inside the cell, and the triangle is
// passed over. Any other goes through the exact test, which alone decides a hit.
template <bool kMirrored>
bool CHeightFieldGrid::CellTriangles(SWalk& walk, int32_t cx, int32_t cz, const SWindow& window, double h00,
                                     double h10, double h11, double h01) {
  const vector3<double>& o = walk.origin;
  const vector3<double>& d = walk.direction;
  // The ray at the window's ends, relative to the cell's corner (cx, 0, cz).
  const auto relative = [&](double t) { return vector3<double>{o.x + d.x * t - cx, o.y + d.y * t, o.z + d.z * t - cz}; };
  const vector3<double> from = relative(window.from), to = relative(window.to);
  // Triangle A's plane rises from h00 at the corner by ax along x and az along z; B's from h10 at
  // (1, 0) by bz along z, and by bx against x.
  const double ax = h10 - h00, az = h01 - h00, bz = h11 - h10, bx = h01 - h11;
  const auto overA = [&](const vector3<double>& p) { return p.y - (h00 + ax * p.x + az * p.z); };
  const auto overB = [&](const vector3<double>& p) { return p.y - (h10 + bz * p.z + bx * (1 - p.x)); };
  const double margin = walk.planeMargin;
  const auto oneSide = [margin](double a, double b) { return (a > margin && b > margin) || (a < -margin && b < -margin); };
  // The diagonal x + z = 1 parts the cell between the triangles, A on its near side and B on its far
  // one: a ray that keeps to one side through the window meets the other's plane outside it.
  const double nearSide = from.x + from.z - 1, farSide = to.x + to.z - 1;
  const bool crossed[2] = {!oneSide(overA(from), overA(to)) && !(nearSide > margin && farSide > margin),
                           !oneSide(overB(from), overB(to)) && !(nearSide < -margin && farSide < -margin)};
  if (!crossed[0] && !crossed[1]) return false;

  const SHeightQuery& query = *walk.query;
  const double reflection = 2 * query.lower;
  const vector3<double> p0{double(cx), h00, double(cz)}, p1{cx + 1.0, h10, double(cz)};
  const vector3<double> p2{cx + 1.0, h11, cz + 1.0}, p3{double(cx), h01, cz + 1.0};
  for (int triangle = 0; triangle < 2; ++triangle) {
    if (!crossed[triangle]) continue;
    const vector3<double>& first = triangle ? p1 : p0;
    const vector3<double> n = triangle ? Cross(p3 - p1, p2 - p1) : Cross(p3 - p0, p1 - p0);
    const double facing = Dot(n, d);
    if (facing == 0) continue;
    const double t = -(Dot(n, o) - Dot(n, first)) / facing;
    if (t < walk.acceptLow || t > walk.acceptHigh || (!query.spans && t > walk.best)) continue;
    const vector3<double> point = o + d * t;
    // The reflection is clipped where it came from.
    const double height = kMirrored ? reflection - point.y : point.y;
    if (height > query.upper || height < query.lower) continue;
    const double x = point.x, z = point.z, diagonal = cx + cz + 1.0;
    const bool inside = triangle ? x <= cx + 1 && z <= cz + 1 && x + z >= diagonal
                                 : x >= cx && z >= cz && x + z <= diagonal;
    if (!inside) continue;
    if (RecordHit(walk, t, point, cx, cz, triangle, kMirrored, Normalised(n))) return true;
  }
  return false;
}

// Keeps an accepted hit with its blended shading normal; true when the spans' callback refused it.
bool CHeightFieldGrid::RecordHit(SWalk& walk, double t, const vector3<double>& point, int32_t cx, int32_t cz,
                                 int triangle, bool mirrored, const vector3<double>& normal) {
  const SHeightQuery& query = *walk.query;
  SHeightHit& hit = *walk.hit;
  hit.t = t;
  hit.point = point;
  hit.cellX = cx;
  hit.cellZ = cz;
  hit.triangle = triangle;
  hit.reflected = mirrored;
  hit.normal = normal;
  hit.shadingNormal = query.shading ? ShadingNormal(walk, point, cx, cz, mirrored) : vector3<double>{};
  walk.best = t;
  walk.found = true;
  if (query.spans && query.onHit && !query.onHit(query.context, hit)) {
    walk.refused = true;
    return true;
  }
  return false;
}

// The grid vertices' normals, blended by where the point lies in the cell; through a render they come
// from the render's table. A reflection's vertex normals are the terrain's turned over in x and z.
vector3<double> CHeightFieldGrid::ShadingNormal(const SWalk& walk, const vector3<double>& point, int32_t cx,
                                                int32_t cz, bool mirrored) {
  vector3<double> vertex[2][2];
  // Without the table, every hit makes its vertex normals afresh.
  if (SKeptNormal* kept = fRenderStamp ? KeptTable() : nullptr) {
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) vertex[j][i] = KeptVertexNormal(kept, walk.heights, cx + i, cz + j);
  } else {
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) vertex[j][i] = VertexNormal(walk.heights, cx + i, cz + j);
  }
  if (mirrored) {
    for (auto& row : vertex)
      for (vector3<double>& v : row) v = {-v.x, v.y, -v.z};
  }
  const double fx = std::clamp(point.x - cx, 0.0, 1.0), fz = std::clamp(point.z - cz, 0.0, 1.0);
  const vector3<double> nearRow = vertex[0][0] * (1 - fx) + vertex[0][1] * fx;
  const vector3<double> farRow = vertex[1][0] * (1 - fx) + vertex[1][1] * fx;
  return Normalised(nearRow * (1 - fz) + farRow * fz);
}

// The heights' differences across the vertex along x and z, with samples beyond the grid clamped to
// its edge.
vector3<double> CHeightFieldGrid::VertexNormal(const CHFUnit* heights, int32_t vx, int32_t vz) const {
  const int32_t last = int32_t(fSide) - 1;
  const auto h = [&](int32_t x, int32_t z) {
    return double(heights[size_t(std::clamp(z, 0, last)) * fSide + size_t(std::clamp(x, 0, last))] >> fShift);
  };
  const vector3<double> v{-2 * (h(vx + 1, vz) - h(vx - 1, vz)), 4, -2 * (h(vx, vz + 1) - h(vx, vz - 1))};
  const double k = FastInvSqrt(Dot(v, v));
  return std::isfinite(k) ? v * k : vector3<double>{0, 1, 0};
}

CHeightFieldGrid::SKeptNormal* CHeightFieldGrid::KeptTable() const {
  for (SThreadKept& slot : tKept) {
    if (slot.grid == this && slot.stamp == fRenderStamp) return slot.table.get();
  }
  SThreadKept& slot = tKept[tNextKept++ % tKept.size()];
  if (!slot.table) slot.table.reset(new (std::nothrow) SKeptNormal[kKeptSide * kKeptSide]);
  if (!slot.table) return nullptr;
  std::fill_n(slot.table.get(), kKeptSide * kKeptSide, SKeptNormal{});
  slot.grid = this;
  slot.stamp = fRenderStamp;
  return slot.table.get();
}

vector3<double> CHeightFieldGrid::KeptVertexNormal(SKeptNormal* table, const CHFUnit* heights, int32_t vx,
                                                   int32_t vz) const {
  const uint32_t key = uint32_t(vz) * (fSide + 1) + uint32_t(vx) + 1;
  SKeptNormal& kept = table[(vz % kKeptSide) * kKeptSide + vx % kKeptSide];
  if (kept.key != key) {
    const vector3<double> n = VertexNormal(heights, vx, vz);
    kept = {key, {n.x, n.y, n.z}};
  }
  return {kept.normal[0], kept.normal[1], kept.normal[2]};
}

// ---- horizons

const CHeightFieldGrid::SHorizon* CHeightFieldGrid::PublishedHorizon(const vector3<double>& direction) const {
  for (const std::atomic<const SHorizon*>& slot : fHorizons) {
    const SHorizon* horizon = slot.load(std::memory_order_acquire);
    if (horizon && horizon->direction == direction) return horizon;
  }
  return nullptr;
}

bool CHeightFieldGrid::HoldsHorizon(const vector3<double>& direction) const {
  return PublishedHorizon(direction) != nullptr;
}

const CHeightFieldGrid::SHorizon* CHeightFieldGrid::HorizonFor(const vector3<double>& direction) {
  if (const SHorizon* horizon = PublishedHorizon(direction)) return horizon;
  SHorizonStreak& streak = tHorizonStreak;
  if (streak.grid != this || streak.stamp != fRenderStamp || !(streak.direction == direction)) {
    streak = {this, fRenderStamp, direction, 1};
    return nullptr;
  }
  if (++streak.count < kHorizonStreak || fHorizonsFailed.load(std::memory_order_relaxed)) return nullptr;
  streak.count = 0;
  // Another thread making a table meanwhile walks on without one.
  std::unique_lock<std::mutex> lock(fHorizonLock, std::try_to_lock);
  if (!lock.owns_lock()) return nullptr;
  for (int i = 0; i < kHorizons; ++i) {
    const SHorizon* horizon = fHorizons[i].load(std::memory_order_relaxed);
    if (horizon && horizon->direction == direction) return horizon;
    if (horizon) continue;
    fHorizonStore[i] = BuildHorizon(direction);
    if (!fHorizonStore[i]) fHorizonsFailed.store(true, std::memory_order_relaxed);
    fHorizons[i].store(fHorizonStore[i].get(), std::memory_order_release);
    return fHorizonStore[i].get();
  }
  return nullptr;
}

void CHeightFieldGrid::ForgetHorizons() {
  fHorizonsFailed.store(false, std::memory_order_relaxed);
  for (int i = 0; i < kHorizons; ++i) {
    fHorizons[i].store(nullptr, std::memory_order_relaxed);
    fHorizonStore[i].reset();
  }
}

// From the far corner of the ray's quadrant back: a cell's bound is the largest of its own height and
// its two neighbours' ahead less one rise. A ray entering cell (x, z) reaches cell (x', z') ahead of it
// no lower than rise × (|x' − x| + |z' − z| − 2) above its entry (− 1 when it enters across a
// boundary); entering higher than the cell's bound plus two rises (one), it clears every cell it can
// still meet.
std::unique_ptr<CHeightFieldGrid::SHorizon> CHeightFieldGrid::BuildHorizon(const vector3<double>& direction) const {
  const size_t n = fSide;
  std::unique_ptr<SHorizon> horizon(new (std::nothrow) SHorizon);
  if (!horizon) return nullptr;
  horizon->bound.reset(new (std::nothrow) float[n * n]);
  if (!horizon->bound) return nullptr;
  horizon->direction = direction;
  const double rise = horizon->rise = direction.y / (std::fabs(direction.x) + std::fabs(direction.z));
  const ptrdiff_t stepX = direction.x < 0 ? -1 : 1, stepZ = direction.z < 0 ? -1 : 1;
  const uint32_t* cells = fFine.GetRecords();
  float* bound = horizon->bound.get();
  const auto up = [](double v) {
    float f = float(v);
    return double(f) < v ? std::nextafter(f, std::numeric_limits<float>::infinity()) : f;
  };
  for (size_t j = 0; j < n; ++j) {
    const ptrdiff_t z = stepZ > 0 ? ptrdiff_t(n - 1 - j) : ptrdiff_t(j);
    for (size_t i = 0; i < n; ++i) {
      const ptrdiff_t x = stepX > 0 ? ptrdiff_t(n - 1 - i) : ptrdiff_t(i);
      const size_t at = size_t(z) * n + size_t(x);
      double v = double(Largest(cells[at]) >> fShift);
      if (j > 0) v = std::max(v, double(bound[at + stepZ * ptrdiff_t(n)]) - rise);
      if (i > 0) v = std::max(v, double(bound[at + stepX]) - rise);
      bound[at] = up(v);
    }
  }
  return horizon;
}
