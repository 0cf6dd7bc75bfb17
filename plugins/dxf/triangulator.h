// The polygon triangulator of the import plug-ins: one simple planar polygon of double-precision
// points in three dimensions becomes triangles over the polygon's own points. It projects the polygon
// into its plane and splits it at its leftmost vertex until only triangles are left; a polygon on
// which that rule would work too long (past a budget of points visited per point) is cut by the ear
// clipper instead (ear_clipper.h), which gives the same triangles wherever the rule cuts by ears alone.
//
// Usage: InitTriangulation, fill x, y and z, Triangulate, read the triangles, FreeTriangulation in
// every case. Repeated neighbouring points are removed in place first, so the triangles number the
// points as x, y and z hold them after Triangulate.
#pragma once

#include <cstddef>
#include <cstdint>

// Where the work record takes its memory; a plug-in that counts or limits its allocations sets both
// before InitTriangulation. Null means the C library's malloc and free.
struct STriangulationMemory {
  void* (*allocate)(size_t bytes) = nullptr;
  void (*release)(void* block) = nullptr;
};

struct TriangulationWork {
  STriangulationMemory memory;
  int32_t pointCount = 0;
  double* x = nullptr;
  double* y = nullptr;
  double* z = nullptr;
  double normalX = 0, normalY = 0, normalZ = 0;  // unit normal of the polygon's plane
  double* u = nullptr;  // coordinates in the plane
  double* v = nullptr;
  double* w = nullptr;  // along the normal
  int32_t* triangles = nullptr;  // three point numbers per triangle, in the polygon's turning sense
  int32_t triangleCount = 0;
  int32_t triangleCapacity = 0;
};

enum : int32_t {
  kTriangulated = 0,
  kTriangulationTooFewPoints = 1,
  kTriangulationNoPlane = 2,
  kTriangulationOutOfMemory = 3,
};

// Six zeroed arrays of pointCount doubles; kTriangulationOutOfMemory when they cannot be had.
int32_t InitTriangulation(TriangulationWork& work, int32_t pointCount);
// kTriangulationNoPlane too for points so far out that their plane cannot be computed.
int32_t Triangulate(TriangulationWork& work);
// Safe after a failed InitTriangulation; leaves the record empty.
void FreeTriangulation(TriangulationWork& work);
