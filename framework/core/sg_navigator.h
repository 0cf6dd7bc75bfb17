// The navigator of a spool grid: cell size, width and stride come from the grid, and the area is the
// grid's clip rectangle unless another is given.
#pragma once

#include "framework/core/sm_navigator.h"
#include "framework/core/spool_grid.h"

class CSgNavigator : public CSmNavigator {
 public:
  CSgNavigator(CSpoolGrid* grid, const SRect* area, bool changed, bool release,
               HolderFailureCallback failure = nullptr)
      : CSmNavigator(grid, grid->GetCellSize(), grid->GetWidth(), area ? area : &grid->GetClip(), grid->GetStride(),
                     changed, release, failure) {}
};

template <typename T>
class CSgNavigatorT : public CSgNavigator {
 public:
  using CSgNavigator::CSgNavigator;

  // The cells of row r of the area.
  T* Cells(uint32_t r) const { return reinterpret_cast<T*>(Row(r)); }
};
