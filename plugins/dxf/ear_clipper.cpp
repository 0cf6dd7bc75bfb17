#include "plugins/dxf/ear_clipper.h"

#include <algorithm>
#include <cmath>

#include "plugins/dxf/triangulation_steps.h"

namespace {

// Points visited while looking for the rule's leftmost point among equals, and points visited by the
// point tree and steps round the ring, that a polygon may cost per point before the cheaper step
// takes over.
constexpr int64_t kLeftmostVisitsPerPoint = 64;
constexpr int64_t kTreeVisitsPerPoint = 512;

// The arrays of one clipping: the ring of points left, the points in the order of rising u (the first
// index first among equals), the point tree and the stack of corners to look at.
struct SClipArrays {
  int32_t* next;
  int32_t* previous;
  int32_t* removed;
  int32_t* order;
  int32_t* ids;        // the points as the tree keeps them
  int32_t* placeOf;    // where each point stands in ids
  int32_t* remaining;  // for each node (a place in ids), the points left below it, itself included
  int32_t* axes;       // for each node, 0 when it splits by u, 1 by v
  int32_t* stack;      // corners to look at, two for each point
  double* boxes;       // for each node, the box of its points: low u, low v, high u, high v
};

// A k-d tree of the points, kept in ids: the node of the places lo..hi is its middle place, which
// splits the rest along the longer side of their box, down to leaves of a few points that a search
// reads one by one. A search passes over the nodes whose box lies outside the triangle, and over
// those whose points the ears have all taken.
class CPointTree {
 public:
  CPointTree(const TriangulationWork& work, const SClipArrays& arrays, int64_t budget)
      : fWork(work), fArrays(arrays), fBudget(budget) {}

  // The tree of the points that keep(point) takes; a point it leaves out is never found.
  template <typename Keep>
  void Build(Keep keep) {
    fSize = 0;
    for (int32_t k = 0; k < fWork.pointCount; ++k) {
      fArrays.placeOf[k] = -1;
      if (keep(k)) fArrays.ids[fSize++] = k;
    }
    Build(0, fSize - 1);
    for (int32_t k = 0; k < fSize; ++k) fArrays.placeOf[fArrays.ids[k]] = k;
  }

  void Remove(int32_t point) {
    const int32_t place = fArrays.placeOf[point];
    if (place < 0) return;
    for (int32_t lo = 0, hi = fSize - 1;;) {
      const int32_t middle = lo + (hi - lo) / 2;
      --fArrays.remaining[middle];
      if (place == middle || fArrays.axes[middle] == kLeaf) return;
      if (place < middle) hi = middle - 1;
      else lo = middle + 1;
    }
  }

  // Whether a remaining point other than the corners lies strictly inside (a, b, c), as the rule's
  // test finds it; with onEdges, also one on an edge that does not stand on a corner.
  bool AnyInside(int32_t a, int32_t b, int32_t c, bool onEdges = false) {
    const double* u = fWork.u;
    const double* v = fWork.v;
    STriangle triangle = {{a, b, c},
                          {Side(fWork, c, a, b), Side(fWork, a, b, c), Side(fWork, b, c, a)},
                          {std::min({u[a], u[b], u[c]}), std::min({v[a], v[b], v[c]}), std::max({u[a], u[b], u[c]}),
                           std::max({v[a], v[b], v[c]})},
                          {},
                          onEdges};
    for (int k = 0; k < 3; ++k) {
      const int32_t from = triangle.corners[k], to = triangle.corners[(k + 1) % 3];
      triangle.edges[k] = {u[from], v[from], u[to] - u[from], v[to] - v[from]};
    }
    return Search(0, fSize - 1, triangle);
  }

  // A step round the ring costs as much as a node of a search.
  void Spend() { --fBudget; }
  bool Spent() const { return fBudget < 0; }

 private:
  struct SEdge {
    double u, v;    // where it starts
    double du, dv;  // to where it ends
  };
  struct STriangle {
    int32_t corners[3];
    int sides[3];  // the side of each edge (corner k to the next) that the inside lies on
    double box[4];
    SEdge edges[3];
    bool onEdges;
  };

  bool Candidate(const STriangle& triangle, int32_t point) const {
    const int32_t* corners = triangle.corners;
    const double u = fWork.u[point], v = fWork.v[point];
    return !fArrays.removed[point] && point != corners[0] && point != corners[1] && point != corners[2] &&
           u >= triangle.box[0] && u <= triangle.box[2] && v >= triangle.box[1] && v <= triangle.box[3] &&
           Holds(triangle, point);
  }

  bool Holds(const STriangle& triangle, int32_t point) const {
    const int32_t a = triangle.corners[0], b = triangle.corners[1], c = triangle.corners[2];
    if (!triangle.onEdges) return PointInTriangle(fWork, point, a, b, c);
    for (int32_t corner : triangle.corners)
      if (fWork.u[point] == fWork.u[corner] && fWork.v[point] == fWork.v[corner]) return false;
    const int sides[3] = {Side(fWork, point, a, b), Side(fWork, point, b, c), Side(fWork, point, c, a)};
    for (int k = 0; k < 3; ++k)
      if (sides[k] != 0 && sides[k] != triangle.sides[k]) return false;
    return true;
  }

  static constexpr int32_t kLeaf = -1;
  static constexpr int32_t kLeafPoints = 8;

  double At(int32_t point, int32_t axis) const { return axis ? fWork.v[point] : fWork.u[point]; }

  void Build(int32_t lo, int32_t hi) {
    if (lo > hi) return;
    const int32_t middle = lo + (hi - lo) / 2;
    double* box = fArrays.boxes + 4 * size_t(middle);
    box[0] = box[2] = fWork.u[fArrays.ids[lo]];
    box[1] = box[3] = fWork.v[fArrays.ids[lo]];
    for (int32_t k = lo + 1; k <= hi; ++k) {
      const int32_t point = fArrays.ids[k];
      box[0] = std::min(box[0], fWork.u[point]);
      box[1] = std::min(box[1], fWork.v[point]);
      box[2] = std::max(box[2], fWork.u[point]);
      box[3] = std::max(box[3], fWork.v[point]);
    }
    fArrays.remaining[middle] = hi - lo + 1;
    if (hi - lo < kLeafPoints) {
      fArrays.axes[middle] = kLeaf;
      return;
    }
    const int32_t axis = box[2] - box[0] >= box[3] - box[1] ? 0 : 1;
    std::nth_element(fArrays.ids + lo, fArrays.ids + middle, fArrays.ids + hi + 1,
                     [&](int32_t i, int32_t j) { return At(i, axis) < At(j, axis); });
    fArrays.axes[middle] = axis;
    Build(lo, middle - 1);
    Build(middle + 1, hi);
  }

  // Whether the box lies wholly outside the triangle: past one of its edges, or of its bounds. A box
  // that the rounding of an edge's test might misjudge counts as inside, so that no point strictly
  // inside is ever passed over; an edge of a triangle without area decides nothing.
  bool Outside(const double* box, const STriangle& triangle) const {
    if (box[2] < triangle.box[0] || box[0] > triangle.box[2] || box[3] < triangle.box[1] || box[1] > triangle.box[3])
      return true;
    constexpr double kRounding = 1e-9;
    for (int k = 0; k < 3; ++k) {
      if (triangle.sides[k] == 0) continue;
      const SEdge& edge = triangle.edges[k];
      bool inward = false;
      for (int corner = 0; corner < 4 && !inward; ++corner) {
        const double along = edge.du * (box[corner & 2 ? 3 : 1] - edge.v);
        const double across = edge.dv * (box[corner & 1 ? 2 : 0] - edge.u);
        inward = (along - across) * triangle.sides[k] >= -kRounding * (std::fabs(along) + std::fabs(across));
      }
      if (!inward) return true;
    }
    return false;
  }

  bool Search(int32_t lo, int32_t hi, const STriangle& triangle) {
    if (lo > hi) return false;
    const int32_t middle = lo + (hi - lo) / 2;
    if (fArrays.remaining[middle] == 0) return false;
    --fBudget;
    if (Outside(fArrays.boxes + 4 * size_t(middle), triangle)) return false;
    if (fArrays.axes[middle] == kLeaf) {
      for (int32_t place = lo; place <= hi; ++place) {
        --fBudget;
        if (Candidate(triangle, fArrays.ids[place])) return true;
      }
      return false;
    }
    return Candidate(triangle, fArrays.ids[middle]) || Search(lo, middle - 1, triangle) ||
           Search(middle + 1, hi, triangle);
  }

  const TriangulationWork& fWork;
  const SClipArrays& fArrays;
  int64_t fBudget;
  int32_t fSize = 0;
};

class CEarClipper {
 public:
  CEarClipper(TriangulationWork& work, const SClipArrays& arrays)
      : fWork(work),
        fArrays(arrays),
        fTree(work, arrays, kTreeVisitsPerPoint * work.pointCount),
        fCount(work.pointCount),
        fLeftmostBudget(kLeftmostVisitsPerPoint * work.pointCount) {}

  bool Clip() {
    Link();
    // While the leftmost point is an ear, as the rule cuts.
    while (fCount > 3) {
      const int32_t b = Leftmost();
      if (fLeftmostBudget < 0 || fTree.AnyInside(fArrays.previous[b], b, fArrays.next[b])) break;
      if (!CutEar(b)) return false;
    }
    if (!ClipQueued()) return false;
    const int32_t first = fStart, second = fArrays.next[first];
    if (!AppendTriangle(fWork, first, second, fArrays.next[second])) return false;
    // Cut first, listed last: the rule lists the triangle left over first and the ears backwards.
    std::reverse(reinterpret_cast<STriangle*>(fWork.triangles),
                 reinterpret_cast<STriangle*>(fWork.triangles) + fWork.triangleCount);
    return true;
  }

 private:
  struct STriangle {
    int32_t corners[3];
  };

  void Link() {
    const int32_t n = fWork.pointCount;
    for (int32_t k = 0; k < n; ++k) {
      fArrays.next[k] = (k + 1) % n;
      fArrays.previous[k] = (k + n - 1) % n;
      fArrays.removed[k] = 0;
      fArrays.order[k] = k;
    }
    const double* u = fWork.u;
    std::sort(fArrays.order, fArrays.order + n, [u](int32_t i, int32_t j) { return u[i] < u[j] || (u[i] == u[j] && i < j); });
    // Only a corner that does not turn with the ring can lie inside a triangle of a simple polygon's
    // corners, and cutting ears turns no corner against it: the tree holds those alone.
    fSense = Turning() < 0 ? -1 : 1;
    fTree.Build([&](int32_t point) { return Turn(point) * fSense <= 0; });
  }

  // Twice the signed area of the corner at the point with its neighbours.
  double Turn(int32_t at) const {
    const int32_t p = fArrays.previous[at], s = fArrays.next[at];
    const double* u = fWork.u;
    const double* v = fWork.v;
    return (u[at] - u[p]) * (v[s] - v[p]) - (v[at] - v[p]) * (u[s] - u[p]);
  }

  // The point with the smallest u, the first from the start among equals.
  int32_t Leftmost() {
    const int32_t n = fWork.pointCount;
    while (fArrays.removed[fArrays.order[fHead]]) ++fHead;
    const auto place = [&](int32_t point) { return (point - fStart + n) % n; };
    int32_t best = fArrays.order[fHead];
    for (int32_t k = fHead + 1; k < n && fWork.u[fArrays.order[k]] == fWork.u[best]; ++k) {
      --fLeftmostBudget;
      const int32_t point = fArrays.order[k];
      if (!fArrays.removed[point] && place(point) < place(best)) best = point;
    }
    return best;
  }

  // The triangle (previous, b, next) goes to the list and b out of the ring; the rest starts after b.
  bool CutEar(int32_t b) {
    const int32_t p = fArrays.previous[b], s = fArrays.next[b];
    if (!AppendTriangle(fWork, p, b, s)) return false;
    fArrays.next[p] = s;
    fArrays.previous[s] = p;
    fArrays.removed[b] = 1;
    fTree.Remove(b);
    --fCount;
    fStart = s;
    return true;
  }

  // Twice the signed area of the ring that is left: its turning sense.
  double Turning() const {
    double twice = 0;
    int32_t k = fStart;
    do {
      const int32_t next = fArrays.next[k];
      twice += fWork.u[k] * fWork.v[next] - fWork.u[next] * fWork.v[k];
      k = next;
    } while (k != fStart);
    return twice;
  }

  // Whether the corner at the point can go: it turns with the ring and holds no other point, not even on
  // an edge (where the cut would touch the ring), or it lies on the straight line between its
  // neighbours, where its triangle has no inside.
  bool IsEar(int32_t at) {
    const int32_t p = fArrays.previous[at], s = fArrays.next[at];
    const double* u = fWork.u;
    const double* v = fWork.v;
    const double turn = Turn(at);
    if (turn == 0) return (u[at] - u[p]) * (u[s] - u[at]) + (v[at] - v[p]) * (v[s] - v[at]) > 0;
    return turn * fSense > 0 && !fTree.AnyInside(p, at, s, true);
  }

  // Ears from a stack of corners to look at, the ring's corners at first: cutting an ear changes
  // whether its two neighbours are ears, and nothing else on a simple polygon, so they alone go back on
  // the stack, the previous one on top, which follows a band of ears along. When the stack runs dry with
  // points left (a ring that crosses itself), every corner is looked at once more, and when that finds
  // no ear either the corner at the start goes as it is; so does every corner once the tree's budget
  // is spent.
  bool ClipQueued() {
    if (fCount <= 3) return true;
    int32_t top = 0;
    const auto push = [&](int32_t point) { fArrays.stack[top++] = point; };
    bool filled = false;
    int32_t cut = 0;  // ears cut since the stack was last filled with the ring
    while (fCount > 3) {
      if (top == 0 && filled && cut == 0) {
        const int32_t p = fArrays.previous[fStart], s = fArrays.next[fStart];
        if (!CutEar(fStart)) return false;
        push(s);
        push(p);
        ++cut;
        continue;
      }
      if (top == 0) {
        // In reverse, so that the stack gives them in the ring's order from the start.
        for (int32_t k = fArrays.previous[fStart];; k = fArrays.previous[k]) {
          push(k);
          if (k == fStart) break;
        }
        filled = true;
        cut = 0;
        continue;
      }
      const int32_t at = fArrays.stack[--top];
      if (fArrays.removed[at]) continue;
      fTree.Spend();
      if (!fTree.Spent() && !IsEar(at)) continue;
      const int32_t p = fArrays.previous[at], s = fArrays.next[at];
      if (!CutEar(at)) return false;
      push(s);
      push(p);
      ++cut;
    }
    return true;
  }

  TriangulationWork& fWork;
  const SClipArrays& fArrays;
  CPointTree fTree;
  int32_t fCount;
  int32_t fStart = 0;
  int32_t fHead = 0;
  int64_t fLeftmostBudget;
  double fSense = 1;  // the turning sense of the ring
};

}  // namespace

bool ClipEars(TriangulationWork& work) {
  const int32_t n = work.pointCount;
  constexpr int32_t kArrays = 10;  // eight of a point each, and the stack of two
  int32_t* block = AllocateZeroed<int32_t>(work, size_t(n) * kArrays);
  double* boxes = block ? AllocateZeroed<double>(work, size_t(n) * 4) : nullptr;
  bool clipped = boxes && Reserve(work, work.triangles, work.triangleCapacity, 3 * int64_t(n - 2));
  if (clipped) {
    const SClipArrays arrays = {block,         block + n,     block + 2 * n, block + 3 * n, block + 4 * n,
                                block + 5 * n, block + 6 * n, block + 7 * n, block + 8 * n, boxes};
    CEarClipper clipper(work, arrays);
    clipped = clipper.Clip();
  }
  TriangulationRelease(work, boxes);
  TriangulationRelease(work, block);
  return clipped;
}
