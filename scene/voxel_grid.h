// The ray acceleration of triangle meshes: a uniform grid of cells over the mesh box, each listing the
// faces whose boxes touch it, walked cell by cell along a ray (CVoxelGrid); and the per-face run-time
// records. Built before rendering, never stored, and only read while rays walk: what a ray notes about
// the faces it has tested is its own (CFaceMailbox, ray_scratch.h).
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/box3d.h"
#include "framework/core/spool_table.h"

// One cell: its run of face indices in the index list.
struct S3dVoxel {
  uint32_t first = 0;
  uint32_t count = 0;
};
static_assert(sizeof(S3dVoxel) == 8);

// One face's data for rays.
struct S3dTriRunTime {
  C3dBox box;
  // The two axes kept when the face is projected for the inside test.
  uint32_t axisI = 0;
  uint32_t axisJ = 0;
};
static_assert(sizeof(S3dTriRunTime) == 56);

// The cell counts for faceCount faces in the box: the cube root of the count (at most 40) along the
// longest axis, the other axes in proportion to their extents (1.5 times, at most as many), at least 1;
// a single cell for fewer than 10 faces or a box without extent.
void VoxelGridCounts(uint32_t faceCount, const C3dBox& box, int32_t counts[3]);

// The cell per axis that holds the coordinate, clamped into the grid; 0 on an axis without extent.
int32_t VoxelCellOnAxis(double coordinate, double minimum, double maximum, int32_t count);

// The walk of one ray through the cells, in the order the ray meets them.
class CVoxelGrid {
 public:
  void Init(const int32_t counts[3], const C3dBox& box);
  // Starts at the cell that holds the point.
  void BeginRay(const vector3<double>& start, const vector3<double>& direction);
  // The next cell along the ray, the start cell first; false once the walk has left the grid.
  bool NextCell(int32_t cell[3]);

  int32_t GetStepNumber() const { return fStepNumber; }
  int32_t GetMajorAxis() const { return fMajor; }

 private:
  int32_t fCounts[3] = {1, 1, 1};
  C3dBox fBox;
  double fCellSize[3] = {};
  int32_t fCell[3] = {};
  // 0 before the first cell, then the cells visited; -1 once outside.
  int32_t fStepNumber = 0;
  int32_t fMajor = 0;
  int32_t fStep[3] = {1, 1, 1};
  // Distances to each axis's next cell boundary and between its boundaries, measured along the major
  // axis; +∞ for an axis the ray never crosses.
  double fNext[3] = {};
  double fDelta[3] = {};
};

// The cells and the index list of one mesh, in the application's data environment.
class CMeshVoxels : public CBaseObject {
 public:
  CMeshVoxels();
  CMeshVoxels(const CMeshVoxels&) = delete;
  CMeshVoxels& operator=(const CMeshVoxels&) = delete;

  bool IsUsable() const;
  // Sizes the grid for the faces and lists each face in every cell its box touches: the cells' runs in
  // cell order, each cell's faces in face order. The records are those of the
  // run-time table, locked by the caller. 9 when a table cannot be sized or locked.
  int32_t Build(const S3dTriRunTime* faces, uint32_t faceCount, const C3dBox& box);

  const int32_t* GetCounts() const { return fCounts; }
  const C3dBox& GetBox() const { return fBox; }
  CSpoolTableT<S3dVoxel>& GetCells() { return fCells; }
  CSpoolDynTable<uint32_t>& GetIndices() { return fIndices; }
  // The cell that holds the point, as an index into the cell table.
  uint32_t CellIndexOf(const vector3<double>& point) const;
  uint32_t CellIndex(const int32_t cell[3]) const {
    return uint32_t((fCounts[1] * cell[2] + cell[1]) * fCounts[0] + cell[0]);
  }

 private:
  int32_t fCounts[3] = {1, 1, 1};
  C3dBox fBox;
  CSpoolTableT<S3dVoxel> fCells;
  CSpoolDynTable<uint32_t> fIndices;
};
