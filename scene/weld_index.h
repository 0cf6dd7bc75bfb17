// Finds the stored point that a new point welds to without walking every point: the points are kept in
// cells of a grid a little coarser than the weld distance, so that a point's matches lie in its own
// cell or, near a cell's border, in the cell beside it.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "framework/core/vector3.h"

class CWeldIndex {
 public:
  static constexpr uint32_t kNotFound = UINT32_MAX;

  explicit CWeldIndex(double distance);

  // The lowest i < count whose point (three doubles at points + stride·i) lies less than the distance
  // from p on every axis, or kNotFound. The points the index has not seen are added first; an array
  // that shrank is taken in again from the start.
  uint32_t Find(const uint8_t* points, uint32_t stride, uint32_t count, const vector3<double>& p);
  // The points changed in place: the next Find takes them in anew.
  void Forget();

 private:
  // The cells a point's matches may lie in, along one axis.
  struct SSpan {
    double first = 0;
    double last = 0;
  };
  SSpan CellsNear(double coordinate) const;
  static uint64_t CellKey(double x, double y, double z);
  void Add(uint32_t index, const vector3<double>& p);

  double fDistance;
  double fCellSize;
  // A cell's last point; each point leads to the one before it in its cell (kNotFound ends the chain).
  std::unordered_map<uint64_t, uint32_t> fLast;
  std::vector<uint32_t> fBefore;
};
