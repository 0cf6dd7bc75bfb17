#include "plugins/dxf/triangulator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plugins/dxf/ear_clipper.h"
#include "plugins/dxf/triangulation_steps.h"

namespace {

constexpr double kSamePoint = 1e-6;
constexpr double kNoNormal = 1e-6;
// The splitting rule visits few points for each one it cuts off on ordinary polygons (a star of fifty
// spikes some forty), but every point for each cut on a comb: past this many visits per point, and a
// few thousand that keep every polygon of a hundred points or so with the rule, it gives way to the ear
// clipper.
constexpr int64_t kRuleVisitsPerPoint = 64;
constexpr int64_t kRuleVisits = 4096;

enum ESplit { kSplitFine, kSplitNoMemory, kSplitOverBudget };

bool SamePoint(const TriangulationWork& work, int32_t i, int32_t j) {
  return std::fabs(work.x[i] - work.x[j]) < kSamePoint && std::fabs(work.y[i] - work.y[j]) < kSamePoint &&
         std::fabs(work.z[i] - work.z[j]) < kSamePoint;
}

void MovePoint(TriangulationWork& work, int32_t from, int32_t to) {
  work.x[to] = work.x[from];
  work.y[to] = work.y[from];
  work.z[to] = work.z[from];
}

// Each point is compared with its successor, the last with the first; a successor that repeats the
// point goes, and the point is compared with its new successor. One pass that keeps a point when it
// differs from the last one kept, then the first points while the last repeats them.
void RemoveRepeatedPoints(TriangulationWork& work) {
  int32_t kept = 1;
  for (int32_t i = 1; i < work.pointCount; ++i) {
    if (SamePoint(work, kept - 1, i)) continue;
    MovePoint(work, i, kept++);
  }
  int32_t first = 0;
  while (kept - first > 2 && SamePoint(work, kept - 1, first)) ++first;
  for (int32_t i = first; i < kept; ++i) MovePoint(work, i, i - first);
  work.pointCount = kept - first;
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
    if (!(length >= kNoNormal) || !std::isfinite(length)) return false;
    work.normalX = nx / length;
    work.normalY = ny / length;
    work.normalZ = nz / length;
    return true;
  }
  return false;
}

// Turns the plane so that the normal becomes the z axis: first about x into the x-z plane, then
// about y. A normal along x needs no first turn. False when a point is too far out to be placed.
bool Project(TriangulationWork& work) {
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
    if (!std::isfinite(work.u[i]) || !std::isfinite(work.v[i])) return false;
  }
  return true;
}

// Pending sub-sequences lie one after the other on one stack, each as its point numbers, then its
// positions in the order of rising u, then its length; the last one is split next. An explicit
// stack, since a polygon of n points nests n splits deep.
struct SSequenceStack {
  int32_t* entries = nullptr;
  int32_t used = 0;
  int32_t capacity = 0;
};

// The sequence being split: its points in a ring of positions from which ears are taken, and its
// positions sorted by u, so that the leftmost point and the points left of a triangle are found
// without visiting the whole sequence.
struct SRing {
  int32_t* point;
  int32_t* order;
  int32_t* next;
  int32_t* previous;
  int32_t* removed;
  int32_t* firstPart;  // a position's place in the parts of a split, or -1
  int32_t* secondPart;
  int32_t size;   // positions when it was taken from the stack
  int32_t count;  // positions left
  int32_t start;  // the position the sequence starts from
  int32_t head;   // no position before this one in order is left
};

class CSplitter {
 public:
  CSplitter(TriangulationWork& work, SSequenceStack& stack, SRing& ring, int64_t budget)
      : fWork(work), fStack(stack), fRing(ring), fBudget(budget) {}

  // Takes the last sequence from the stack and splits it: ears one after the other, in place, until
  // a triangle is left or a diagonal cuts it in two, whose parts go back on the stack. Every point
  // visited spends the budget; once it is spent, the split stops.
  ESplit SplitNext() {
    Take();
    while (fRing.count > 3) {
      const int32_t b = Leftmost(), p = fRing.previous[b], s = fRing.next[b];
      const int32_t a = Diagonal(b, s, p);
      if (fBudget < 0) return kSplitOverBudget;
      if (a != s && a != p) return Cut(b, a) ? kSplitFine : kSplitNoMemory;
      if (!PushTriangle(p, b, s)) return kSplitNoMemory;
      RemoveEar(b);
    }
    const int32_t first = fRing.start, second = fRing.next[first], third = fRing.next[second];
    return AppendTriangle(fWork, fRing.point[first], fRing.point[second], fRing.point[third]) ? kSplitFine
                                                                                              : kSplitNoMemory;
  }

 private:
  double U(int32_t position) const { return fWork.u[fRing.point[position]]; }
  // Places from the start, which decide between points of equal u.
  int32_t Place(int32_t position) const { return (position - fRing.start + fRing.size) % fRing.size; }

  void Take() {
    SRing& ring = fRing;
    const int32_t m = fStack.entries[--fStack.used];
    fStack.used -= 2 * m;
    std::memcpy(ring.point, fStack.entries + fStack.used, size_t(m) * sizeof(int32_t));
    std::memcpy(ring.order, fStack.entries + fStack.used + m, size_t(m) * sizeof(int32_t));
    for (int32_t k = 0; k < m; ++k) {
      ring.next[k] = (k + 1) % m;
      ring.previous[k] = (k + m - 1) % m;
      ring.removed[k] = 0;
    }
    ring.size = ring.count = m;
    ring.start = ring.head = 0;
    fBudget -= m;
  }

  // The point with the smallest u, the first from the start among equals.
  int32_t Leftmost() {
    while (fRing.removed[fRing.order[fRing.head]]) ++fRing.head;
    int32_t best = fRing.order[fRing.head];
    for (int32_t k = fRing.head + 1; k < fRing.size && U(fRing.order[k]) == U(best); ++k) {
      --fBudget;
      const int32_t position = fRing.order[k];
      if (!fRing.removed[position] && Place(position) < Place(best)) best = position;
    }
    return best;
  }

  // The far end of the cut at b: among the points strictly inside (b, s, p) whose u lies below the
  // larger u of s and p, the one of smallest u (the first from the start among equals); else that of
  // s and p.
  int32_t Diagonal(int32_t b, int32_t s, int32_t p) {
    const int32_t bound = U(s) >= U(p) ? s : p;
    int32_t best = -1;
    for (int32_t k = fRing.head; k < fRing.size; ++k) {
      --fBudget;
      const int32_t j = fRing.order[k];
      if (fRing.removed[j] || j == b || j == s || j == p) continue;
      if (!(U(j) < U(bound)) || (best >= 0 && U(j) > U(best))) break;
      if (PointInTriangle(fWork, fRing.point[j], fRing.point[b], fRing.point[s], fRing.point[p]) &&
          (best < 0 || Place(j) < Place(best)))
        best = j;
    }
    return best >= 0 ? best : bound;
  }

  // The ear at b goes; the rest starts at b's successor.
  void RemoveEar(int32_t b) {
    const int32_t p = fRing.previous[b], s = fRing.next[b];
    fRing.next[p] = s;
    fRing.previous[s] = p;
    fRing.removed[b] = 1;
    --fRing.count;
    fRing.start = s;
  }

  bool PushTriangle(int32_t p, int32_t b, int32_t s) {
    if (!Reserve(fWork, fStack.entries, fStack.capacity, int64_t(fStack.used) + 7)) return false;
    // A triangle is never searched, so its order by u is left as it comes.
    const int32_t entries[7] = {fRing.point[p], fRing.point[b], fRing.point[s], 0, 1, 2, 3};
    std::memcpy(fStack.entries + fStack.used, entries, sizeof entries);
    fStack.used += 7;
    return true;
  }

  // The part of the ring from `from` forward to `to`, with its order by u taken from the ring's.
  bool PushPart(int32_t from, int32_t to, int32_t* place) {
    int32_t count = 1;
    for (int32_t k = from; k != to; k = fRing.next[k]) ++count;
    if (!Reserve(fWork, fStack.entries, fStack.capacity, int64_t(fStack.used) + 2 * count + 1)) return false;
    int32_t* points = fStack.entries + fStack.used;
    int32_t* order = points + count;
    for (int32_t k = 0; k < fRing.size; ++k) place[k] = -1;
    int32_t at = 0;
    for (int32_t k = from;; k = fRing.next[k]) {
      place[k] = at;
      points[at++] = fRing.point[k];
      if (k == to) break;
    }
    at = 0;
    for (int32_t k = fRing.head; k < fRing.size; ++k) {
      const int32_t position = fRing.order[k];
      if (!fRing.removed[position] && place[position] >= 0) order[at++] = place[position];
    }
    points[2 * count] = count;
    fStack.used += 2 * count + 1;
    fBudget -= int64_t(count) + fRing.size;
    return true;
  }

  // The parts from a to b and from b to a; the second one pushed is split first.
  bool Cut(int32_t b, int32_t a) { return PushPart(a, b, fRing.secondPart) && PushPart(b, a, fRing.firstPart); }

  TriangulationWork& fWork;
  SSequenceStack& fStack;
  SRing& fRing;
  int64_t fBudget;
};

constexpr int32_t kRingArrays = 7;

// Splits the polygon at its leftmost point, along a diagonal to the leftmost point inside the
// triangle of that point and its neighbours, or, when none lies inside, cutting off that triangle as
// an ear; the part from the leftmost point onward is split before the other one. Stops with
// kSplitOverBudget once it has visited more points than its budget.
ESplit SplitPolygon(TriangulationWork& work) {
  const int32_t n = work.pointCount;
  SSequenceStack stack;
  int32_t* scratch = AllocateZeroed<int32_t>(work, size_t(n) * kRingArrays);
  ESplit split = scratch && Reserve(work, stack.entries, stack.capacity, 2 * int64_t(n) + 1) &&
                         Reserve(work, work.triangles, work.triangleCapacity, 3 * int64_t(n - 2))
                     ? kSplitFine
                     : kSplitNoMemory;
  if (split == kSplitFine) {
    SRing ring = {scratch, scratch + n, scratch + 2 * n, scratch + 3 * n, scratch + 4 * n, scratch + 5 * n,
                  scratch + 6 * n, 0, 0, 0, 0};
    for (int32_t k = 0; k < n; ++k) stack.entries[k] = stack.entries[n + k] = k;
    std::sort(stack.entries + n, stack.entries + 2 * n,
              [&](int32_t i, int32_t j) { return work.u[i] < work.u[j] || (work.u[i] == work.u[j] && i < j); });
    stack.entries[2 * n] = n;
    stack.used = 2 * n + 1;
    CSplitter splitter(work, stack, ring, kRuleVisitsPerPoint * n + kRuleVisits);
    while (split == kSplitFine && stack.used > 0) split = splitter.SplitNext();
  }
  TriangulationRelease(work, scratch);
  TriangulationRelease(work, stack.entries);
  return split;
}

}  // namespace

void* TriangulationAllocate(const TriangulationWork& work, size_t bytes) {
  return work.memory.allocate ? work.memory.allocate(bytes) : std::malloc(bytes);
}

void TriangulationRelease(const TriangulationWork& work, void* block) {
  if (!block) return;
  if (work.memory.release) work.memory.release(block);
  else std::free(block);
}

bool Reserve(const TriangulationWork& work, int32_t*& array, int32_t& capacity, int64_t needed) {
  if (needed <= capacity) return true;
  int64_t grown = capacity ? capacity : 16;
  while (grown < needed) grown *= 2;
  if (grown > INT32_MAX) return false;
  int32_t* larger = AllocateZeroed<int32_t>(work, size_t(grown));
  if (!larger) return false;
  if (array) std::memcpy(larger, array, size_t(capacity) * sizeof(int32_t));
  TriangulationRelease(work, array);
  array = larger;
  capacity = int32_t(grown);
  return true;
}

bool AppendTriangle(TriangulationWork& work, int32_t p0, int32_t p1, int32_t p2) {
  if (!Reserve(work, work.triangles, work.triangleCapacity, int64_t(work.triangleCount) * 3 + 3)) return false;
  int32_t* triangle = work.triangles + work.triangleCount * 3;
  triangle[0] = p0;
  triangle[1] = p1;
  triangle[2] = p2;
  ++work.triangleCount;
  return true;
}

int32_t InitTriangulation(TriangulationWork& work, int32_t pointCount) {
  work.pointCount = pointCount > 0 ? pointCount : 0;
  const size_t count = size_t(work.pointCount ? work.pointCount : 1);
  // One block holds the six arrays.
  double* block = AllocateZeroed<double>(work, count * 6);
  if (!block) return kTriangulationOutOfMemory;
  double** arrays[6] = {&work.x, &work.y, &work.z, &work.u, &work.v, &work.w};
  for (size_t i = 0; i < 6; ++i) *arrays[i] = block + i * count;
  return kTriangulated;
}

int32_t Triangulate(TriangulationWork& work) {
  work.triangleCount = 0;
  if (work.pointCount < 3) return kTriangulationTooFewPoints;
  RemoveRepeatedPoints(work);
  if (work.pointCount < 3) return kTriangulationTooFewPoints;
  if (!FindNormal(work) || !Project(work)) return kTriangulationNoPlane;
  ESplit split = SplitPolygon(work);
  if (split == kSplitOverBudget) {
    work.triangleCount = 0;
    split = ClipEars(work) ? kSplitFine : kSplitNoMemory;
  }
  if (split == kSplitFine) return kTriangulated;
  work.triangleCount = 0;
  return kTriangulationOutOfMemory;
}

void FreeTriangulation(TriangulationWork& work) {
  TriangulationRelease(work, work.x);
  work.x = work.y = work.z = work.u = work.v = work.w = nullptr;
  TriangulationRelease(work, work.triangles);
  work.triangles = nullptr;
  work.pointCount = work.triangleCount = work.triangleCapacity = 0;
}
