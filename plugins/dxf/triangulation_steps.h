// What the triangulator's two ways of cutting share: the work record's memory, the growth of its
// integer arrays, and the strict inside test on the projected points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugins/dxf/triangulator.h"

void* TriangulationAllocate(const TriangulationWork& work, size_t bytes);
void TriangulationRelease(const TriangulationWork& work, void* block);

template <typename T>
T* AllocateZeroed(const TriangulationWork& work, size_t count) {
  void* block = TriangulationAllocate(work, count * sizeof(T));
  if (block) std::memset(block, 0, count * sizeof(T));
  return static_cast<T*>(block);
}

// Grows an array of int32 to at least `needed` entries, doubling; false when memory runs out.
bool Reserve(const TriangulationWork& work, int32_t*& array, int32_t& capacity, int64_t needed);
// Appends a triangle of three point numbers to the work record's list; false when it cannot grow.
bool AppendTriangle(TriangulationWork& work, int32_t p0, int32_t p1, int32_t p2);

// The sign of the turn from -> to -> point in the projected plane: -1, 0 or +1.
inline int Side(const TriangulationWork& work, int32_t point, int32_t from, int32_t to) {
  const double cross = (work.u[to] - work.u[from]) * (work.v[point] - work.v[from]) -
                       (work.v[to] - work.v[from]) * (work.u[point] - work.u[from]);
  return (cross > 0) - (cross < 0);
}

// Strictly inside: a point on a side line is not.
inline bool PointInTriangle(const TriangulationWork& work, int32_t p, int32_t a, int32_t b, int32_t c) {
  return Side(work, p, a, b) == Side(work, c, a, b) && Side(work, p, b, c) == Side(work, a, b, c) &&
         Side(work, p, c, a) == Side(work, b, c, a);
}
