#include "plugins/dxf/triangulator.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

constexpr double kSamePoint = 1e-6;
constexpr double kNoNormal = 1e-6;

void* Allocate(const TriangulationWork& work, size_t bytes) {
  return work.memory.allocate ? work.memory.allocate(bytes) : std::malloc(bytes);
}

void Release(const TriangulationWork& work, void* block) {
  if (!block) return;
  if (work.memory.release) work.memory.release(block);
  else std::free(block);
}

template <typename T>
T* AllocateZeroed(const TriangulationWork& work, size_t count) {
  void* block = Allocate(work, count * sizeof(T));
  if (block) std::memset(block, 0, count * sizeof(T));
  return static_cast<T*>(block);
}

// Grows an array of int32 to at least `needed` entries, doubling; false when memory runs out.
bool Reserve(const TriangulationWork& work, int32_t*& array, int32_t& capacity, int64_t needed) {
  if (needed <= capacity) return true;
  int64_t grown = capacity ? capacity : 16;
  while (grown < needed) grown *= 2;
  if (grown > INT32_MAX) return false;
  int32_t* larger = AllocateZeroed<int32_t>(work, size_t(grown));
  if (!larger) return false;
  if (array) std::memcpy(larger, array, size_t(capacity) * sizeof(int32_t));
  Release(work, array);
  array = larger;
  capacity = int32_t(grown);
  return true;
}

bool SamePoint(const TriangulationWork& work, int32_t i, int32_t j) {
  return std::fabs(work.x[i] - work.x[j]) < kSamePoint && std::fabs(work.y[i] - work.y[j]) < kSamePoint &&
         std::fabs(work.z[i] - work.z[j]) < kSamePoint;
}

void RemovePoint(TriangulationWork& work, int32_t index) {
  const size_t tail = size_t(work.pointCount - index - 1) * sizeof(double);
  for (double* array : {work.x, work.y, work.z}) std::memmove(array + index, array + index + 1, tail);
  --work.pointCount;
}

// Each point is compared with its successor, the last with the first; a successor that repeats the
// point goes, and the point is compared with its new successor.
void RemoveRepeatedPoints(TriangulationWork& work) {
  for (int32_t i = 0; i < work.pointCount && work.pointCount > 2;) {
    const int32_t next = i + 1 < work.pointCount ? i + 1 : 0;
    if (!SamePoint(work, i, next)) {
      ++i;
      continue;
    }
    RemovePoint(work, next);
    if (next == 0) --i;  // the points moved down under i
    if (i < 0) i = 0;
  }
}

bool FindNormal(TriangulationWork& work) {
  const int32_t n = work.pointCount;
  for (int32_t b = 0; b < n; ++b) {
    const int32_t p0 = b, p1 = (b + 1) % n, p2 = (b + 2) % n;
    const double ax = work.x[p0] - work.x[p1], ay = work.y[p0] - work.y[p1], az = work.z[p0] - work.z[p1];
    const double bx = work.x[p2] - work.x[p1], by = work.y[p2] - work.y[p1], bz = work.z[p2] - work.z[p1];
    const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    if (std::fabs(nx) + std::fabs(ny) + std::fabs(nz) < kNoNormal) continue;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length < kNoNormal) return false;
    work.normalX = nx / length;
    work.normalY = ny / length;
    work.normalZ = nz / length;
    return true;
  }
  return false;
}

// Turns the plane so that the normal becomes the z axis: first about x into the x-z plane, then
// about y. A normal along x needs no first turn.
void Project(TriangulationWork& work) {
  const double nx = work.normalX, ny = work.normalY, nz = work.normalZ;
  const double d = std::sqrt(ny * ny + nz * nz);
  for (int32_t i = 0; i < work.pointCount; ++i) {
    const double x = work.x[i], y = work.y[i], z = work.z[i];
    double s = z, v = y;
    if (d > kSamePoint) {
      s = -(ny * y + nz * z) / d;
      v = (ny * z - nz * y) / d;
    }
    work.u[i] = d * x + nx * s;
    work.v[i] = v;
    work.w[i] = d * s - nx * x;
  }
}

int Side(const TriangulationWork& work, int32_t point, int32_t from, int32_t to) {
  const double cross = (work.u[to] - work.u[from]) * (work.v[point] - work.v[from]) -
                       (work.v[to] - work.v[from]) * (work.u[point] - work.u[from]);
  return (cross > 0) - (cross < 0);
}

// Strictly inside: a point on a side line is not.
bool PointInTriangle(const TriangulationWork& work, int32_t p, int32_t a, int32_t b, int32_t c) {
  return Side(work, p, a, b) == Side(work, c, a, b) && Side(work, p, b, c) == Side(work, a, b, c) &&
         Side(work, p, c, a) == Side(work, b, c, a);
}

// Pending sub-sequences lie one after the other, each followed by its length; the last one is split
// next. An explicit stack, since a polygon of n points nests n splits deep.
struct SSequenceStack {
  int32_t* entries = nullptr;
  int32_t used = 0;
  int32_t capacity = 0;
};

bool Push(const TriangulationWork& work, SSequenceStack& stack, const int32_t* sequence, int32_t m, int32_t from,
          int32_t to) {
  const int32_t count = (to - from + m) % m + 1;
  if (!Reserve(work, stack.entries, stack.capacity, int64_t(stack.used) + count + 1)) return false;
  for (int32_t k = 0; k < count; ++k) stack.entries[stack.used++] = sequence[(from + k) % m];
  stack.entries[stack.used++] = count;
  return true;
}

bool AddTriangle(TriangulationWork& work, const int32_t* sequence) {
  if (!Reserve(work, work.triangles, work.triangleCapacity, int64_t(work.triangleCount) * 3 + 3)) return false;
  std::memcpy(work.triangles + work.triangleCount * 3, sequence, 3 * sizeof(int32_t));
  ++work.triangleCount;
  return true;
}

// Splits the sequence at its leftmost vertex b: along the diagonal from b to the leftmost vertex
// inside the triangle (b, s, p) of its neighbours, or, when none lies inside, cuts the ear at b.
// The part from b to a is split before the part from a to b.
bool SplitSequence(TriangulationWork& work, SSequenceStack& stack, const int32_t* sequence, int32_t m) {
  if (m == 3) return AddTriangle(work, sequence);
  int32_t b = 0;
  for (int32_t k = 1; k < m; ++k)
    if (work.u[sequence[k]] < work.u[sequence[b]]) b = k;
  const int32_t p = (b + m - 1) % m, s = (b + 1) % m;
  int32_t a = work.u[sequence[s]] >= work.u[sequence[p]] ? s : p;
  for (int32_t j = 0; j < m; ++j) {
    if (j == b || j == s || j == p) continue;
    if (work.u[sequence[a]] > work.u[sequence[j]] &&
        PointInTriangle(work, sequence[j], sequence[b], sequence[s], sequence[p]))
      a = j;
  }
  if (a == s || a == p) {
    a = p;
    b = s;
  }
  return Push(work, stack, sequence, m, a, b) && Push(work, stack, sequence, m, b, a);
}

int32_t SplitPolygon(TriangulationWork& work) {
  const int32_t n = work.pointCount;
  SSequenceStack stack;
  int32_t* current = AllocateZeroed<int32_t>(work, size_t(n));
  bool fine = current && Reserve(work, stack.entries, stack.capacity, int64_t(n) + 1);
  if (fine) {
    for (int32_t k = 0; k < n; ++k) stack.entries[k] = k;
    stack.entries[n] = n;
    stack.used = n + 1;
  }
  while (fine && stack.used > 0) {
    const int32_t m = stack.entries[stack.used - 1];
    stack.used -= m + 1;
    std::memcpy(current, stack.entries + stack.used, size_t(m) * sizeof(int32_t));
    fine = SplitSequence(work, stack, current, m);
  }
  Release(work, current);
  Release(work, stack.entries);
  return fine ? kTriangulated : kTriangulationOutOfMemory;
}

}  // namespace

int32_t InitTriangulation(TriangulationWork& work, int32_t pointCount) {
  work.pointCount = pointCount > 0 ? pointCount : 0;
  const size_t count = size_t(work.pointCount ? work.pointCount : 1);
  for (double** array : {&work.x, &work.y, &work.z, &work.u, &work.v, &work.w}) {
    *array = AllocateZeroed<double>(work, count);
    if (!*array) return kTriangulationOutOfMemory;
  }
  return kTriangulated;
}

int32_t Triangulate(TriangulationWork& work) {
  work.triangleCount = 0;
  if (work.pointCount < 3) return kTriangulationTooFewPoints;
  RemoveRepeatedPoints(work);
  if (work.pointCount < 3) return kTriangulationTooFewPoints;
  if (!FindNormal(work)) return kTriangulationNoPlane;
  Project(work);
  const int32_t answer = SplitPolygon(work);
  if (answer != kTriangulated) work.triangleCount = 0;
  return answer;
}

void FreeTriangulation(TriangulationWork& work) {
  for (double** array : {&work.x, &work.y, &work.z, &work.u, &work.v, &work.w}) {
    Release(work, *array);
    *array = nullptr;
  }
  Release(work, work.triangles);
  work.triangles = nullptr;
  work.pointCount = work.triangleCount = work.triangleCapacity = 0;
}
