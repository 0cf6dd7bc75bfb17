#include "framework/core/box3d.h"

#include <algorithm>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A direction component this small runs parallel to its slab.
constexpr double kEpsilon = 1e-7;

// Where the ray enters and leaves one slab; false when it never meets it.
bool CrossSlab(double lo, double hi, double o, double d, double& tIn, double& tOut) {
  if (o <= lo) {
    if (d < kEpsilon) return false;
    tIn = (lo - o) / d;
    tOut = (hi - o) / d;
  } else if (o >= hi) {
    if (d > -kEpsilon) return false;
    tIn = (hi - o) / d;
    tOut = (lo - o) / d;
  } else if (d > kEpsilon) {
    tIn = (lo - o) / d;
    tOut = (hi - o) / d;
  } else if (d < -kEpsilon) {
    tIn = (hi - o) / d;
    tOut = (lo - o) / d;
  } else {
    tIn = -kInfinity;
    tOut = kInfinity;
  }
  return true;
}

}  // namespace

C3dBox C3dBox::Empty() { return {{kInfinity, kInfinity, kInfinity}, {-kInfinity, -kInfinity, -kInfinity}}; }

bool C3dBox::IsEmpty() const { return !(fMin.x <= fMax.x && fMin.y <= fMax.y && fMin.z <= fMax.z); }

void C3dBox::Union(const C3dBox& other) {
  if (other.fMin.x < fMin.x) fMin.x = other.fMin.x;
  if (other.fMin.y < fMin.y) fMin.y = other.fMin.y;
  if (other.fMin.z < fMin.z) fMin.z = other.fMin.z;
  if (other.fMax.x > fMax.x) fMax.x = other.fMax.x;
  if (other.fMax.y > fMax.y) fMax.y = other.fMax.y;
  if (other.fMax.z > fMax.z) fMax.z = other.fMax.z;
}

void C3dBox::Extend(const vector3<double>& p) { Union({p, p}); }

C3dBox C3dBox::Transform(const C34Matrix& matrix) const {
  if (IsEmpty()) return *this;
  C3dBox out = Empty();
  for (int corner = 0; corner < 8; ++corner) {
    const vector3<double> p{corner & 1 ? fMax.x : fMin.x, corner & 2 ? fMax.y : fMin.y, corner & 4 ? fMax.z : fMin.z};
    out.Extend(matrix.TransformPoint(p));
  }
  return out;
}

bool C3dBox::IntersectRay(const vector3<double>& origin, const vector3<double>& direction, double& entry,
                          double& exit) const {
  double tIn[3], tOut[3];
  for (int i = 0; i < 3; ++i) {
    if (!CrossSlab(fMin[i], fMax[i], origin[i], direction[i], tIn[i], tOut[i])) return false;
  }
  int k = 0;
  for (int i = 1; i < 3; ++i)
    if (tIn[i] > tIn[k]) k = i;
  // Parallel to every slab: a standing ray has no entry point.
  if (tIn[k] == -kInfinity) return false;

  const vector3<double> p = origin + direction * tIn[k];
  for (int i = 0; i < 3; ++i) {
    if (i == k) continue;
    if (p[i] < fMin[i] - kEpsilon || p[i] > fMax[i] + kEpsilon) return false;
  }
  entry = tIn[k];
  exit = std::min({tOut[0], tOut[1], tOut[2]});
  return true;
}
