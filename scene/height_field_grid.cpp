#include "scene/height_field_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

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

// One query's state.
struct CHeightFieldGrid::SWalk {
  const CHFUnit* heights = nullptr;
  const uint32_t* tiles[2] = {};
  const SHeightQuery* query = nullptr;
  double acceptLow = 0;
  double acceptHigh = 0;
  int32_t step[2] = {};
  double best = kInfinity;
  bool found = false;
  bool refused = false;
  SHeightHit hit;

  // The height at (x, z) with both clamped into the grid, in object units.
  double Height(const CHeightFieldGrid& grid, int32_t x, int32_t z) const {
    const int32_t last = int32_t(grid.fSide) - 1;
    x = std::clamp(x, 0, last);
    z = std::clamp(z, 0, last);
    return heights[size_t(z) * grid.fSide + size_t(x)] >> grid.fShift;
  }
};

CHeightFieldGrid::CHeightFieldGrid() : fFine(TileLayout(), TileSpec()), fCoarse(TileLayout(), TileSpec()) {}

CHeightFieldGrid::~CHeightFieldGrid() { EndRender(); }

int32_t CHeightFieldGrid::TileShift(uint32_t n) {
  int32_t shift = 0;
  while (shift < 16 && (65535u >> shift) >= n) ++shift;
  return shift;
}

double CHeightFieldGrid::BoundaryDistance(int32_t factor, int32_t cell, double coordinate, double direction) {
  if (direction > 0) return (double(factor) * (cell + 1) - coordinate) / direction;
  if (direction < 0) return (double(factor) * cell - coordinate) / direction;
  return kNoCrossing;
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
  for (uint32_t z = 0; z < n; ++z) {
    for (uint32_t x = 0; x < n; ++x) {
      const CHFUnit corners[4] = {heights[z * n + x], heights[z * n + std::min(x + 1, last)],
                                  heights[std::min(z + 1, last) * n + x],
                                  heights[std::min(z + 1, last) * n + std::min(x + 1, last)]};
      const uint32_t smallest = *std::min_element(corners, corners + 4);
      const uint32_t largest = *std::max_element(corners, corners + 4);
      fineTiles[z * n + x] = Tile(smallest, largest);
      uint32_t& block = coarseTiles[(z / kTileCells) * fCoarseSide + x / kTileCells];
      block = Tile(std::min(Smallest(block), smallest), std::max(Largest(block), largest));
    }
  }
  fBuilt = true;
  return kNoErr;
}

void CHeightFieldGrid::BeginRender() {
  if (fRendering || !fBuilt) return;
  fRendering = fFine.Lock();
}

void CHeightFieldGrid::EndRender() {
  if (!fRendering) return;
  fRendering = false;
  fFine.Unlock(false, false);
}

// ---- the walk

bool CHeightFieldGrid::Intersect(const CHFUnit* heights, const SHeightQuery& query, SHeightHit* hit) {
  if (!fBuilt) return false;
  CHolder fine(&fFine, false, false);
  CHolder coarse(&fCoarse, false, false);
  if (!fine.IsLocked() || !coarse.IsLocked()) return false;
  SWalk walk;
  walk.heights = heights;
  walk.tiles[0] = fFine.GetRecords();
  walk.tiles[1] = fCoarse.GetRecords();
  walk.query = &query;
  // Hits a little beyond the box still count; the caller holds them to the ray's own interval.
  walk.acceptLow = query.tNear - 0.1 * std::fabs(query.tNear);
  walk.acceptHigh = query.tFar + 0.1 * std::fabs(query.tFar);
  const vector3<double>& d = query.direction;
  walk.step[0] = d.x > 0 ? 1 : d.x < 0 ? -1 : 0;
  walk.step[1] = d.z > 0 ? 1 : d.z < 0 ? -1 : 0;

  const vector3<double> entry = query.origin + d * (query.tNear - 1);
  const vector3<double> exit = query.origin + d * (query.tFar + 1);
  const int32_t last = int32_t(fCoarseSide) - 1;
  const auto cellOf = [last](double coordinate) {
    const double cell = coordinate / kTileCells;
    return cell >= last ? last : cell > 0 ? int32_t(cell) : 0;
  };
  const int32_t start[2] = {cellOf(entry.x), cellOf(entry.z)};
  const int32_t end[2] = {cellOf(exit.x), cellOf(exit.z)};
  const int32_t low[2] = {0, 0};
  const int32_t high[2] = {last, last};
  WalkLevel(walk, 1, entry, start, end, low, high);
  if (walk.found && hit) *hit = walk.hit;
  return walk.found && !walk.refused;
}

bool CHeightFieldGrid::WalkLevel(SWalk& walk, int level, vector3<double> p, const int32_t start[2],
                                 const int32_t end[2], const int32_t low[2], const int32_t high[2]) {
  const vector3<double>& d = walk.query->direction;
  const int32_t factor = level ? kTileCells : 1;
  const uint32_t side = level ? fCoarseSide : fSide;
  const bool symmetric = walk.query->symmetric;
  const double reflection = 2 * walk.query->lower;
  const bool moves = walk.step[0] || walk.step[1];
  int32_t cx = start[0], cz = start[1];
  for (;;) {
    const double tx = BoundaryDistance(factor, cx, p.x, d.x);
    const double tz = BoundaryDistance(factor, cz, p.z, d.z);
    // Ties step in z; an axis the ray does not move along is never stepped.
    const bool stepX = walk.step[0] && (!walk.step[1] || tx < tz);
    const double t = !moves ? std::min(tx, tz) : stepX ? tx : tz;
    const double y0 = p.y, y1 = p.y + d.y * t;
    const double top = std::max(y0, y1), bottom = std::min(y0, y1);
    const uint32_t tile = walk.tiles[level][size_t(cz) * side + size_t(cx)];
    const double smallest = Smallest(tile) >> fShift, largest = Largest(tile) >> fShift;
    const bool candidate = symmetric ? top > reflection - largest && bottom < largest
                                     : smallest <= top && bottom < largest;
    if (candidate) {
      if (level == 1) {
        // The cells of this tile that the segment inside it runs from and to.
        const vector3<double> q = p + d * t;
        const int32_t cellLow[2] = {cx * kTileCells, cz * kTileCells};
        const int32_t cellHigh[2] = {std::min(cellLow[0] + kTileCells, int32_t(fSide)) - 1,
                                     std::min(cellLow[1] + kTileCells, int32_t(fSide)) - 1};
        const auto cellOf = [](double coordinate, int32_t lo, int32_t hi) {
          return coordinate >= hi ? hi : coordinate > lo ? int32_t(coordinate) : lo;
        };
        const int32_t from[2] = {cellOf(p.x, cellLow[0], cellHigh[0]), cellOf(p.z, cellLow[1], cellHigh[1])};
        const int32_t to[2] = {cellOf(q.x, cellLow[0], cellHigh[0]), cellOf(q.z, cellLow[1], cellHigh[1])};
        if (WalkLevel(walk, 0, p, from, to, cellLow, cellHigh)) return true;
      } else if (TestCell(walk, cx, cz)) {
        return true;
      }
    }
    if (walk.found && !walk.query->spans) return true;
    if ((cx == end[0] && cz == end[1]) || !moves) return false;
    if (stepX) cx += walk.step[0];
    else cz += walk.step[1];
    p += d * t;
    if (cx < low[0] || cx > high[0] || cz < low[1] || cz > high[1]) return false;
  }
}

// Tests the cell's two triangles (and their reflections); true when a callback refused a hit.
bool CHeightFieldGrid::TestCell(SWalk& walk, int32_t cx, int32_t cz) {
  const SHeightQuery& query = *walk.query;
  const double h00 = walk.Height(*this, cx, cz), h10 = walk.Height(*this, cx + 1, cz);
  const double h11 = walk.Height(*this, cx + 1, cz + 1), h01 = walk.Height(*this, cx, cz + 1);
  const double reflection = 2 * query.lower;
  for (int mirrored = 0; mirrored <= (query.symmetric ? 1 : 0); ++mirrored) {
    const auto y = [&](double h) { return mirrored ? reflection - h : h; };
    const vector3<double> p0{double(cx), y(h00), double(cz)}, p1{cx + 1.0, y(h10), double(cz)};
    const vector3<double> p2{cx + 1.0, y(h11), cz + 1.0}, p3{double(cx), y(h01), cz + 1.0};
    for (int triangle = 0; triangle < 2; ++triangle) {
      const vector3<double>& first = triangle ? p1 : p0;
      const vector3<double> n =
          Normalised(triangle ? Cross(p3 - p1, p2 - p1) : Cross(p3 - p0, p1 - p0));
      const double facing = Dot(n, query.direction);
      if (facing == 0) continue;
      const double t = -(Dot(n, query.origin) - Dot(n, first)) / facing;
      if (t < walk.acceptLow || t > walk.acceptHigh || (!query.spans && t > walk.best)) continue;
      const vector3<double> point = query.origin + query.direction * t;
      // The reflection is clipped where it came from.
      const double height = mirrored ? reflection - point.y : point.y;
      if (height > query.upper || height < query.lower) continue;
      const double x = point.x, z = point.z, diagonal = cx + cz + 1.0;
      const bool inside = triangle ? x <= cx + 1 && z <= cz + 1 && x + z >= diagonal
                                   : x >= cx && z >= cz && x + z <= diagonal;
      if (!inside) continue;

      SHeightHit hit;
      hit.t = t;
      hit.point = point;
      hit.cellX = cx;
      hit.cellZ = cz;
      hit.triangle = triangle;
      hit.reflected = mirrored;
      hit.normal = n;
      // The grid vertices' normals, blended by where the point lies in the cell.
      const auto vertexNormal = [&](int32_t vx, int32_t vz) {
        const double sign = mirrored ? -1 : 1;
        return Normalised({-2 * sign * (walk.Height(*this, vx + 1, vz) - walk.Height(*this, vx - 1, vz)), 4,
                           -2 * sign * (walk.Height(*this, vx, vz + 1) - walk.Height(*this, vx, vz - 1))});
      };
      const double fx = std::clamp(x - cx, 0.0, 1.0), fz = std::clamp(z - cz, 0.0, 1.0);
      const vector3<double> nearRow = vertexNormal(cx, cz) * (1 - fx) + vertexNormal(cx + 1, cz) * fx;
      const vector3<double> farRow = vertexNormal(cx, cz + 1) * (1 - fx) + vertexNormal(cx + 1, cz + 1) * fx;
      hit.shadingNormal = Normalised(nearRow * (1 - fz) + farRow * fz);
      walk.best = t;
      walk.hit = hit;
      walk.found = true;
      if (query.spans && query.onHit && !query.onHit(query.context, hit)) {
        walk.refused = true;
        return true;
      }
    }
  }
  return false;
}
