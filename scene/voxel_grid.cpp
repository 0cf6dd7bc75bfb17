#include "scene/voxel_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/appl.h"
#include "framework/core/fast_math.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

namespace {

constexpr uint32_t kFewFaces = 10;
constexpr double kMostCells = 40;
constexpr double kShortAxisFactor = 1.5;
// A slope this close to 0 never reaches the next boundary.
constexpr double kNoSlope = 1e-10;
// The major axis advances only when its boundary is nearer by more than this.
constexpr double kMajorMargin = 1e-10;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

double Extent(const C3dBox& box, int axis) { return box.fMax[axis] - box.fMin[axis]; }

CSpoolSys* DataEnvironment() {
  CAppl* app = GetApplication();
  return app ? app->GetDataEnv() : nullptr;
}

STableLayout CellsLayout() {
  STableLayout layout;
  layout.SetSized(DataEnvironment(), sizeof(S3dVoxel), 0);
  return layout;
}

SDynTableLayout IndicesLayout() {
  SDynTableLayout layout;
  layout.SetSized(DataEnvironment(), sizeof(uint32_t), 0);
  layout.range = SRange{0, 1024};
  return layout;
}

SSpoolTableSpec PlainSpec() {
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  return spec;
}

// The cells a box touches, per axis from lo to hi inclusive.
struct SCellRange {
  int32_t lo[3] = {};
  int32_t hi[3] = {};
};

SCellRange RangeOf(const C3dBox& faceBox, const C3dBox& grid, const int32_t counts[3]) {
  SCellRange range;
  for (int axis = 0; axis < 3; ++axis) {
    range.lo[axis] = VoxelCellOnAxis(faceBox.fMin[axis], grid.fMin[axis], grid.fMax[axis], counts[axis]);
    range.hi[axis] = VoxelCellOnAxis(faceBox.fMax[axis], grid.fMin[axis], grid.fMax[axis], counts[axis]);
  }
  return range;
}

// Calls visit(cell index) for every cell of the range.
template <typename Visit>
void ForEachCell(const SCellRange& range, const int32_t counts[3], Visit visit) {
  for (int32_t z = range.lo[2]; z <= range.hi[2]; ++z)
    for (int32_t y = range.lo[1]; y <= range.hi[1]; ++y)
      for (int32_t x = range.lo[0]; x <= range.hi[0]; ++x) visit(uint32_t((counts[1] * z + y) * counts[0] + x));
}

}  // namespace

void VoxelGridCounts(uint32_t faceCount, const C3dBox& box, int32_t counts[3]) {
  counts[0] = counts[1] = counts[2] = 1;
  if (faceCount < kFewFaces) return;
  const double c = std::min(FastExp2(FastLog2(faceCount) / 3), kMostCells);
  int longest = 0;
  if (Extent(box, 1) > Extent(box, longest)) longest = 1;
  if (Extent(box, 2) > Extent(box, longest)) longest = 2;
  const double longestExtent = Extent(box, longest);
  if (!(longestExtent > 0) || !std::isfinite(longestExtent)) return;
  for (int axis = 0; axis < 3; ++axis) {
    const double factor = axis == longest ? 1.0 : std::min(kShortAxisFactor * Extent(box, axis) / longestExtent, 1.0);
    counts[axis] = std::max(1, int32_t(c * factor + 0.5));
  }
}

int32_t VoxelCellOnAxis(double coordinate, double minimum, double maximum, int32_t count) {
  const double extent = maximum - minimum;
  if (!(extent > 0)) return 0;
  const double cell = count * (coordinate - minimum) / extent;
  // NaN falls to the first cell.
  if (!(cell >= 0)) return 0;
  return cell >= count - 1 ? count - 1 : int32_t(cell);
}

// ---- the walk

void CVoxelGrid::Init(const int32_t counts[3], const C3dBox& box) {
  fBox = box;
  for (int axis = 0; axis < 3; ++axis) {
    fCounts[axis] = counts[axis];
    fCellSize[axis] = Extent(box, axis) / counts[axis];
    fCell[axis] = 0;
  }
  fStepNumber = 0;
}

void CVoxelGrid::BeginRay(const vector3<double>& start, const vector3<double>& direction) {
  fStepNumber = 0;
  fMajor = 0;
  if (std::fabs(direction.y) > std::fabs(direction.x)) fMajor = 1;
  if (std::fabs(direction.z) > std::fabs(direction[fMajor])) fMajor = 2;
  const double major = std::fabs(direction[fMajor]);
  for (int axis = 0; axis < 3; ++axis) {
    fCell[axis] = VoxelCellOnAxis(start[axis], fBox.fMin[axis], fBox.fMax[axis], fCounts[axis]);
    fStep[axis] = direction[axis] >= 0 ? 1 : -1;
    const double low = fBox.fMin[axis] + fCell[axis] * fCellSize[axis];
    const double boundary = fStep[axis] > 0 ? low + fCellSize[axis] - start[axis] : start[axis] - low;
    const double slope = major > 0 ? std::fabs(direction[axis]) / major : 0;
    if (slope < kNoSlope) {
      fNext[axis] = fDelta[axis] = kInfinity;
      continue;
    }
    fNext[axis] = std::max(boundary, 0.0) / slope;
    fDelta[axis] = fCellSize[axis] / slope;
  }
}

bool CVoxelGrid::NextCell(int32_t cell[3]) {
  if (fStepNumber < 0) return false;
  if (fStepNumber > 0) {
    const int first = fMajor == 0 ? 1 : 0;
    const int second = fMajor == 2 ? 1 : 2;
    int axis = second;
    if (fNext[fMajor] < fNext[first] - kMajorMargin && fNext[fMajor] < fNext[second] - kMajorMargin) axis = fMajor;
    else if (fNext[first] < fNext[second]) axis = first;
    // An axis the ray never crosses is never stepped: the ray has left the grid along the others.
    if (fNext[axis] == kInfinity) {
      fStepNumber = -1;
      return false;
    }
    fCell[axis] += fStep[axis];
    fNext[axis] += fDelta[axis];
    if (fCell[axis] < 0 || fCell[axis] >= fCounts[axis]) {
      fStepNumber = -1;
      return false;
    }
  }
  ++fStepNumber;
  for (int axis = 0; axis < 3; ++axis) cell[axis] = fCell[axis];
  return true;
}

// ---- the cells of a mesh

CMeshVoxels::CMeshVoxels() : fCells(CellsLayout(), PlainSpec()), fIndices(IndicesLayout(), PlainSpec()) {}

bool CMeshVoxels::IsUsable() const { return fCells.IsValid() && fIndices.IsValid(); }

uint32_t CMeshVoxels::CellIndexOf(const vector3<double>& point) const {
  int32_t cell[3];
  for (int axis = 0; axis < 3; ++axis)
    cell[axis] = VoxelCellOnAxis(point[axis], fBox.fMin[axis], fBox.fMax[axis], fCounts[axis]);
  return CellIndex(cell);
}

int32_t CMeshVoxels::Build(const S3dTriRunTime* faces, uint32_t faceCount, const C3dBox& box) {
  int32_t counts[3];
  VoxelGridCounts(faceCount, box, counts);
  const uint32_t cellCount = uint32_t(counts[0] * counts[1] * counts[2]);
  if (!fCells.SetSize(sizeof(S3dVoxel), cellCount, false, false)) return kErrOutOfMemory;
  fBox = box;
  std::copy(counts, counts + 3, fCounts);
  CHolder cellsHolder(&fCells, true, false);
  if (!cellsHolder.IsLocked()) return kErrOutOfMemory;
  S3dVoxel* cells = fCells.GetRecords();
  std::fill(cells, cells + cellCount, S3dVoxel{});

  // Counted first, then each cell's run placed behind the previous one's and filled in face order.
  uint64_t total = 0;
  for (uint32_t f = 0; f < faceCount; ++f) {
    ForEachCell(RangeOf(faces[f].box, box, counts), counts, [&](uint32_t c) {
      ++cells[c].count;
      ++total;
    });
  }
  if (total > UINT32_MAX) return kErrOutOfMemory;
  uint32_t first = 0;
  for (uint32_t c = 0; c < cellCount; ++c) {
    cells[c].first = first;
    first += cells[c].count;
    cells[c].count = 0;
  }
  if (fIndices.GetCount() && !fIndices.RemoveAt(0, fIndices.GetCount())) return kErrOutOfMemory;
  if (!fIndices.Append(nullptr, uint32_t(total))) return kErrOutOfMemory;
  CHolder indicesHolder(&fIndices, true, false);
  if (!indicesHolder.IsLocked()) return kErrOutOfMemory;
  uint32_t* indices = fIndices.GetRecords();
  for (uint32_t f = 0; f < faceCount; ++f) {
    ForEachCell(RangeOf(faces[f].box, box, counts), counts,
                [&](uint32_t c) { indices[cells[c].first + cells[c].count++] = f; });
  }
  return kNoErr;
}
