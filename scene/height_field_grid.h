// The ray acceleration of height fields: a two-level pyramid of tiles, each holding the smallest and
// largest height of the cells it covers, so that a ray walking the grid in the x-z plane skips whole
// 16 × 16 blocks whose height range it passes above or below, and splits only the cells whose range
// it crosses into their two triangles.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "framework/core/base_object.h"
#include "framework/core/spool_table.h"
#include "framework/core/vector3.h"
#include "scene/resample_grid.h"

// One accepted triangle hit, in object space.
struct SHeightHit {
  double t = 0;
  vector3<double> point;
  int32_t cellX = 0;
  int32_t cellZ = 0;
  // 0: the triangle at the cell's (x, z) corner; 1: the one at its far corner.
  int32_t triangle = 0;
  // A hit on the terrain's reflection about the lower clip height.
  bool reflected = false;
  vector3<double> normal;
  vector3<double> shadingNormal;
};

// What one query asks of the grid, in object space.
struct SHeightQuery {
  vector3<double> origin;
  vector3<double> direction;
  // The part of the ray inside the box (and the ray's own interval when it asks for the nearest hit).
  double tNear = 0;
  double tFar = 0;
  // Every hit in order (for spans) rather than the nearest.
  bool spans = false;
  // The hit's shading normal is wanted; a ray that needs the distance only goes without.
  bool shading = true;
  bool symmetric = false;
  // The clip heights in object units.
  double lower = 0;
  double upper = 0;
  // Called with every accepted hit when spans are wanted; false stops the walk.
  bool (*onHit)(void* context, const SHeightHit& hit) = nullptr;
  void* context = nullptr;
};

class CHeightFieldGrid : public CBaseObject {
 public:
  static constexpr int32_t kTileCells = 16;
  // How far a ray that moves along neither x nor z runs through its one cell.
  static constexpr double kNoCrossing = 10000.0;

  CHeightFieldGrid();
  ~CHeightFieldGrid() override;

  // Heights shift right by this many bits into object units: the fewest that bring the 16-bit range
  // below n units (12 for n = 16, 9 for 128, 6 for 1024), so that a terrain of any side stays within
  // its box and its default clip range.
  static int32_t TileShift(uint32_t n);
  // Along one axis, the ray parameter at which a ray from origin with 1 / direction = inverse, moving
  // by step (-1, 0, +1) cells, leaves the cell at the level's cell factor; infinite for step 0.
  static double NextBoundary(int32_t factor, int32_t cell, int32_t step, double origin, double inverse);

  // (Re)builds both levels from the n × n heights, which the caller holds locked. 0 or 9.
  int32_t Build(const CHFUnit* heights, uint32_t n);
  // Forgets the tiles: the grid has changed.
  void Clear();
  bool IsBuilt() const { return fBuilt; }
  uint32_t GetSide() const { return fSide; }
  // The level's side in tiles and a tile: the largest height in the upper 16 bits, the smallest in
  // the lower; the level locked by the caller.
  uint32_t GetLevelSide(int level) const { return level ? fCoarseSide : fSide; }
  CSpoolTableT<uint32_t>& GetLevel(int level) { return level ? fCoarse : fFine; }

  // Both levels stay locked from the start of a render to its end.
  void BeginRender();
  void EndRender();

  // Walks the ray over the heights (locked by the caller): the nearest hit into *hit, or every hit
  // to the query's callback. False when nothing was hit or a level cannot be locked.
  bool Intersect(const CHFUnit* heights, const SHeightQuery& query, SHeightHit* hit);

  // Whether the render has made a horizon table for rays rising along the direction (below).
  bool HoldsHorizon(const vector3<double>& direction) const;

  // A place of a thread's table of kept vertex normals (below).
  static constexpr int32_t kKeptSide = 64;
  struct SKeptNormal {
    uint32_t key;
    double normal[3];
  };

 private:
  struct SWalk;
  bool Walk(const CHFUnit* heights, const SHeightQuery& query, SHeightHit* hit);
  // The cells a walk runs from and to, and the bounds it keeps within, per axis (x, z).
  struct SCellRange {
    int32_t start[2];
    int32_t end[2];
    int32_t low[2];
    int32_t high[2];
  };
  // Walks one level's cells from the start cell, which the ray enters at parameter t, towards the end
  // cell; true once the walk is over (the nearest hit found, or a callback refused).
  // The smallest and largest heights of the cells a walk can reach, in object units.
  struct SHeightBounds {
    double smallest;
    double largest;
  };
  // kHorizon: the walk has a horizon table (below).
  template <int kLevel, bool kSymmetric, bool kHorizon = false>
  bool WalkLevel(SWalk& walk, double t, const SCellRange& range, const SHeightBounds& bounds);
  template <int kLevel, bool kSymmetric>
  bool WalkColumn(SWalk& walk, double t, const SCellRange& range, const SHeightBounds& bounds);
  SCellRange FineRange(const SWalk& walk, double from, double to, int32_t tx, int32_t tz) const;
  // The stretch of the ray's parameter in which a cell's triangles may be hit.
  struct SWindow {
    double from;
    double to;
  };
  template <bool kSymmetric>
  bool TestCell(SWalk& walk, int32_t cx, int32_t cz, double from, double to);
  template <bool kMirrored>
  bool CellTriangles(SWalk& walk, int32_t cx, int32_t cz, const SWindow& window, double h00, double h10, double h11,
                     double h01);
  bool RecordHit(SWalk& walk, double t, const vector3<double>& point, int32_t cx, int32_t cz, int triangle,
                 bool mirrored, const vector3<double>& normal);
  vector3<double> ShadingNormal(const SWalk& walk, const vector3<double>& point, int32_t cx, int32_t cz,
                                bool mirrored);
  // The unit normal of grid vertex (vx, vz), 0 … n on each side, from its neighbours' heights.
  vector3<double> VertexNormal(const CHFUnit* heights, int32_t vx, int32_t vz) const;
  // Through a render, from the table below.
  vector3<double> KeptVertexNormal(SKeptNormal* table, const CHFUnit* heights, int32_t vx, int32_t vz) const;
  // The calling thread's table for this render; null when it cannot be made.
  SKeptNormal* KeptTable() const;

  // Shadow rays towards a sun all rise along one direction, and most of them, leaving a lit point,
  // walk cell after cell under the tile's top before they clear it. Through a render, a direction
  // that the walks of a thread keep asking for gets a table: per cell, a height above which a ray
  // rising along it passes over every cell it can still reach, so that its walk ends there.
  struct SHorizon;
  // The render's table for the direction, once there is one; null while there is none.
  const SHorizon* HorizonFor(const vector3<double>& direction);
  const SHorizon* PublishedHorizon(const vector3<double>& direction) const;
  std::unique_ptr<SHorizon> BuildHorizon(const vector3<double>& direction) const;
  void ForgetHorizons();

  CSpoolTableT<uint32_t> fFine;
  CSpoolTableT<uint32_t> fCoarse;
  uint32_t fSide = 0;
  uint32_t fCoarseSide = 0;
  // The whole grid's smallest and largest heights, as a tile.
  uint32_t fWhole = 0;
  int32_t fShift = 0;
  bool fBuilt = false;
  bool fRendering = false;
  // Through a render, each thread keeps the normals of the vertices that its hits needed last:
  // neighbouring hits share their vertices. Each vertex has one place, by its x and z within a block
  // of kKeptSide × kKeptSide; a key of 0 marks a place not filled yet. The render's stamp tells a
  // thread's table of this render from one of an earlier render (0: not rendering).
  uint64_t fRenderStamp = 0;
  // The render's horizon tables: made under the lock, read without it once published.
  static constexpr int kHorizons = 2;
  std::mutex fHorizonLock;
  std::unique_ptr<SHorizon> fHorizonStore[kHorizons];
  std::atomic<const SHorizon*> fHorizons[kHorizons] = {};
  // No more tables this render: memory failed.
  std::atomic<bool> fHorizonsFailed{false};
};
