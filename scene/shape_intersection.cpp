#include "scene/shape_intersection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>

#include "framework/core/fast_math.h"
#include "framework/core/root_solvers.h"
#include "scene/group.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Directions at most this steep along a flat face's axis never meet it.
constexpr double kFlatFaceTolerance = 1e-06;
constexpr double kDiskTolerance = 1e-05;
// The pyramid's side-face constants, close to but not exactly 1/√5 and 2/√5.
constexpr double kSideA = 0.44720483191134;
constexpr double kSideB = 0.89443157274056;
// A double root the solver drops counts for the cone only where it is the apex.
constexpr double kNoQuadratic = 1e-10;
constexpr double kAtApex = 1e-9;
// Facet crossings this close in t are one crossing.
constexpr double kSameSpan = 1e-9;
// Relative to the size of its terms, far more than two ways of rounding the same value can differ by.
constexpr double kRoundingSlack = 1e-12;
// World boxes sample round shapes every 15 degrees.

double Clamped(double x) { return std::clamp(x, -1.0, 1.0); }

double& At(vector3<double>& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

bool WantsTexture(const CRay& ray) { return ray.fWantsTexture == 1; }

// The box and pyramid accept t within the interval's float bounds widened to double.
struct SFlatAcceptance {
  const CRay& ray;
  double best = kInfinity;
  bool operator()(double t) const { return ray.fTMin < t && t < double(ray.fTMax) && t < best; }
};

// The cone and cylinder compare the end of the interval in single precision.
struct SRoundAcceptance {
  const CRay& ray;
  double best = kInfinity;
  bool operator()(double t) const { return ray.fTMin < t && float(t) < ray.fTMax && t < best; }
};

// Keeps the nearest of the crossings it is offered, each found by a surface number; or, for spans,
// up to two crossings whatever their t.
template <typename Accept>
struct SNearest {
  explicit SNearest(const CRay& ray) : accept{ray} {}

  Accept accept;
  int surface = -1;
  double t = 0;
  vector3<double> point;

  bool Offer(int s, double at, const vector3<double>& p) {
    if (!accept(at)) return false;
    accept.best = t = at;
    surface = s;
    point = p;
    return false;
  }
  bool Found() const { return surface >= 0; }
};

struct SAll {
  int count = 0;
  int surface[2] = {};
  double t[2] = {};
  vector3<double> point[2];

  // Answers true once full, which ends the search.
  bool Offer(int s, double at, const vector3<double>& p) {
    surface[count] = s;
    t[count] = at;
    point[count] = p;
    return ++count == 2;
  }
};

vector3<double> PointAt(const CRay& ray, double t) { return ray.fHit.fObjOrigin + ray.fHit.fObjDirection * t; }

// A span entry and the ray's hit record name their surface fields alike.
template <typename Hit>
void SetTexture(Hit& c, double u, double v, const vector3<double>& tangentU, const vector3<double>& tangentV) {
  c.fU = u;
  c.fV = v;
  c.fTangentU = tangentU;
  c.fTangentV = tangentV;
}

SSpanEntry Crossing(double t, const vector3<double>& point, const vector3<double>& normal) {
  SSpanEntry c;
  c.fValid = 1;
  c.fT = t;
  c.fObjPoint = point;
  c.fObjNormal = normal;
  return c;
}

// Fills crossings from every surface the search collected; the count.
template <typename Surface>
int Collected(const SAll& all, SSpanEntry crossings[2], Surface surface) {
  for (int i = 0; i < all.count; ++i) crossings[i] = surface(all.surface[i], all.t[i], all.point[i]);
  return all.count;
}

// ---- sphere

bool SphereRoots(const CRay& ray, double& nearT, double& farT) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const double length2 = Dot(d, d);
  if (!(length2 > 1e-150)) return false;
  // Most rays pass the sphere by: the discriminant with a division instead of the inverse square root
  // answers for them, when it lies below zero by far more than the two can differ by rounding.
  const double along = Dot(d, -o), centre2 = Dot(o, o), along2 = along * along / length2;
  if (1 - (centre2 - along2) < -kRoundingSlack * (centre2 + along2 + 1)) return false;
  const double k = FastInvSqrt(length2);
  const double b = along * k;
  const double disc = 1 - (centre2 - b * b);
  if (!(disc >= 0)) return false;
  const double s = FastSqrt(disc);
  nearT = (b - s) * k;
  farT = (b + s) * k;
  return true;
}

// The surface at point p: on the unit sphere the normal is the point; u from the azimuth (from +z
// towards +x), v from the polar angle measured from -y.
template <typename Hit>
void SphereTextureAt(Hit& c, const vector3<double>& p) {
  const double polar = std::acos(Clamped(-p.y));
  const double v = polar / kPi;
  double u = 0;
  if (v != 0 && v != 1) {
    u = std::acos(Clamped(p.x / std::sin(polar))) / (2 * kPi);
    if (p.z <= 0) u = 1 - u;
  }
  const double r = std::sqrt(p.x * p.x + p.z * p.z);
  // At the poles the direction of growing u is undefined.
  SetTexture(c, u, v, r > 0 ? vector3<double>{-p.z / r, 0, p.x / r} : vector3<double>{}, {0, 1, 0});
}

template <typename Hit>
void SphereSurfaceAt(Hit& c, const CRay& ray, const vector3<double>& p) {
  c.fObjPoint = p;
  c.fObjNormal = p;
  if (WantsTexture(ray)) SphereTextureAt(c, p);
}

SSpanEntry SphereSurface(const CRay& ray, double t) {
  SSpanEntry c;
  c.fValid = 1;
  c.fT = t;
  SphereSurfaceAt(c, ray, PointAt(ray, t));
  return c;
}

// ---- box

// Faces 0..5: +x, -x, +y, bottom, +z, -z. The crossing point takes the face value exactly on its axis.
template <typename Collect>
void VisitBoxFaces(const CRay& ray, const SShapeBottom& bottom, Collect& collect) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const vector3<double> low{-0.5, bottom.level, -0.5};
  const vector3<double> high{0.5, 0.5, 0.5};
  for (int face = 0; face < 6; ++face) {
    const int axis = face / 2;
    const bool upper = face % 2 == 0;
    if (!(std::fabs(d[axis]) > kFlatFaceTolerance) || (axis == 1 && !upper && !bottom.closed)) continue;
    const double value = upper ? high[axis] : low[axis];
    const double t = (value - o[axis]) / d[axis];
    vector3<double> p = o + d * t;
    At(p, axis) = value;
    bool inside = true;
    for (int other = 0; other < 3; ++other) {
      if (other != axis) inside = inside && low[other] <= p[other] && p[other] <= high[other];
    }
    if (inside && collect.Offer(face, t, p)) return;
  }
}

SSpanEntry BoxSurface(const CRay& ray, int face, double t, const vector3<double>& p) {
  const int axis = face / 2;
  vector3<double> normal;
  At(normal, axis) = 1;
  SSpanEntry c = Crossing(t, p, normal);
  if (!WantsTexture(ray)) return c;
  if (axis == 0)
    SetTexture(c, p.z + 0.5, p.y + 0.5, {0, 0, 1}, {0, 1, 0});
  else if (axis == 1)
    SetTexture(c, p.x + 0.5, p.z + 0.5, {1, 0, 0}, {0, 0, 1});
  else
    SetTexture(c, p.x + 0.5, p.y + 0.5, {1, 0, 0}, {0, 1, 0});
  return c;
}

// ---- pyramid

struct SPyramidSide {
  vector3<double> normal;
  int lateral;  // the axis whose extent narrows towards the apex
};

// Faces 1..4 in testing order; every side plane passes through the apex (0, 0.5, 0).
constexpr SPyramidSide kSides[4] = {
    {{0, kSideA, -kSideB}, 0}, {{-kSideB, kSideA, 0}, 2}, {{0, kSideA, kSideB}, 0}, {{kSideB, kSideA, 0}, 2}};

// The pyramid of the given size: its apex at (0, size/2, 0), its sides narrowing from the bottom
// level's square towards it.
struct SPyramidShape {
  SShapeBottom bottom;
  double size = 1;
  double Apex() const { return 0.5 * size; }
};

template <typename Collect>
void VisitPyramidFaces(const CRay& ray, const SPyramidShape& shape, Collect& collect) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const SShapeBottom& bottom = shape.bottom;
  const double apex = shape.Apex();
  const double halfWidth = (apex - bottom.level) * 0.5;
  if (bottom.closed && std::fabs(d.y) > kFlatFaceTolerance) {
    const double t = (bottom.level - o.y) / d.y;
    const double x = o.x + t * d.x, z = o.z + t * d.z;
    if (-halfWidth <= x && x <= halfWidth && -halfWidth <= z && z <= halfWidth &&
        collect.Offer(0, t, {x, bottom.level, z}))
      return;
  }
  for (int side = 0; side < 4; ++side) {
    const vector3<double>& n = kSides[side].normal;
    const double denominator = n.x * d.x + n.y * d.y + n.z * d.z;
    if (!(std::fabs(denominator) > kFlatFaceTolerance)) continue;
    const double t = (-n.x * o.x + n.y * (apex - o.y) - n.z * o.z) / denominator;
    const vector3<double> p = o + d * t;
    const int lateral = kSides[side].lateral;
    const double across = p[2 - lateral];
    const double h = (p.y - apex) * 0.5;
    if (bottom.level <= p.y && p.y <= apex && -halfWidth <= across && across <= halfWidth && h <= p[lateral] &&
        p[lateral] <= -h && collect.Offer(side + 1, t, p))
      return;
  }
}

// Texture coordinates are those of the unit pyramid.
SSpanEntry PyramidSurface(const CRay& ray, const SPyramidShape& shape, int face, double t, const vector3<double>& p) {
  const vector3<double> unit = p * (1 / shape.size);
  if (face == 0) {
    SSpanEntry c = Crossing(t, p, {0, 1, 0});
    if (WantsTexture(ray)) SetTexture(c, unit.x + 0.5, unit.z + 0.5, {1, 0, 0}, {0, 0, 1});
    return c;
  }
  const SPyramidSide& side = kSides[face - 1];
  SSpanEntry c = Crossing(t, p, side.normal);
  if (!WantsTexture(ray)) return c;
  const double h = (unit.y - 0.5) * 0.5;
  // At the apex the side has no width to measure across.
  const double u = h == 0 ? 0.5 : unit[side.lateral] / (h * -2) + 0.5;
  vector3<double> tangentU;
  At(tangentU, side.lateral) = 1;
  SetTexture(c, u, unit.y + 0.5, tangentU, {0, 1, 0});
  return c;
}

// ---- cone

// x² + z² = ((1 − y)/2)². The solver drops a double root; a line through the apex itself has one
// there, so such a root is taken back when it lies at the apex.
int ConeMantleRoots(const CRay& ray, double roots[2]) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const double a = d.x * d.x + d.z * d.z - 0.25 * d.y * d.y;
  const double b = 2 * (d.x * o.x + d.z * o.z) - 0.5 * (d.y * o.y - d.y);
  const double c = o.x * o.x + o.z * o.z - 0.25 * ((o.y - 2) * o.y + 1);
  const int count = SolveQuadratic(a, b, c, roots);
  if (count || !(std::fabs(a) >= kNoQuadratic)) return count;
  const double t = -b / (2 * a);
  const vector3<double> p = o + d * t;
  if (!(std::fabs(p.y - 1) <= kAtApex && p.x * p.x + p.z * p.z <= kAtApex * kAtApex)) return 0;
  roots[0] = t;
  return 1;
}

// Surface 0 is the base disk, 1 the mantle.
template <typename Collect>
void VisitConeSurfaces(const CRay& ray, const SShapeBottom& bottom, Collect& collect) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  if (bottom.closed && std::fabs(d.y) > kDiskTolerance) {
    const double t = (bottom.level - o.y) / d.y;
    const double x = d.x * t + o.x, z = d.z * t + o.z;
    const double radius = (1 - bottom.level) * 0.5;
    if (x * x + z * z <= radius * radius && collect.Offer(0, t, {x, bottom.level, z})) return;
  }
  double roots[2];
  const int count = ConeMantleRoots(ray, roots);
  for (int i = 0; i < count; ++i) {
    const double y = d.y * roots[i] + o.y;
    if (bottom.level <= y && y <= 1 && collect.Offer(1, roots[i], {d.x * roots[i] + o.x, y, d.z * roots[i] + o.z}))
      return;
  }
}

SSpanEntry ConeSurface(const CRay& ray, int surface, double t, const vector3<double>& p) {
  if (surface == 0) {
    SSpanEntry c = Crossing(t, p, {0, -1, 0});
    if (WantsTexture(ray)) SetTexture(c, 0, 0, {1, 0, 0}, {0, 0, -1});
    return c;
  }
  const double r2 = p.x * p.x + p.z * p.z;
  // FastInvSqrt(0) is +∞: the apex takes the axis as its direction.
  const double k = r2 == 0 ? 0 : FastInvSqrt(r2);
  const vector3<double> slope{p.x * k, 0.5, p.z * k};
  SSpanEntry c = Crossing(t, p, slope * FastInvSqrt(Dot(slope, slope)));
  if (!WantsTexture(ray)) return c;
  const double r = 1 - (p.y + 1) * 0.5;
  double u = 0, v = 1;
  if (r != 0) {
    u = std::acos(Clamped(p.x / r)) / (2 * kPi);
    v = (p.y + 1) * 0.5;
    if (p.z < 0) u = 1 - u;
  }
  SetTexture(c, u, v, {-p.z, 0, p.x}, {0, 1, 0});
  return c;
}

// ---- cylinder

// Surface 0 is the top disk, 1 the bottom disk, 2 the mantle.
template <typename Collect>
void VisitCylinderSurfaces(const CRay& ray, const SShapeBottom& bottom, Collect& collect) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  if (std::fabs(d.y) > kDiskTolerance) {
    for (int disk = 0; disk < 2; ++disk) {
      if (disk == 1 && !bottom.closed) continue;
      const double level = disk == 0 ? 1 : bottom.level;
      const double t = (level - o.y) / d.y;
      const double x = d.x * t + o.x, z = d.z * t + o.z;
      if (x * x + z * z <= 1.0 && collect.Offer(disk, t, {x, level, z})) return;
    }
  }
  double roots[2];
  const int count =
      SolveQuadratic(d.x * d.x + d.z * d.z, 2 * (d.x * o.x + d.z * o.z), o.x * o.x + o.z * o.z - 1, roots);
  for (int i = 0; i < count; ++i) {
    const double y = d.y * roots[i] + o.y;
    if (bottom.level <= y && y <= 1 && collect.Offer(2, roots[i], {d.x * roots[i] + o.x, y, d.z * roots[i] + o.z}))
      return;
  }
}

SSpanEntry CylinderSurface(const CRay& ray, int surface, double t, const vector3<double>& p) {
  if (surface < 2) {
    SSpanEntry c = Crossing(t, p, {0, surface == 0 ? 1.0 : -1.0, 0});
    if (WantsTexture(ray)) SetTexture(c, 0, 0, {1, 0, 0}, {0, 0, -1});
    return c;
  }
  SSpanEntry c = Crossing(t, p, vector3<double>{p.x, 0, p.z} * FastInvSqrt(p.x * p.x + p.z * p.z));
  if (!WantsTexture(ray)) return c;
  double u = std::acos(Clamped(p.x)) / (2 * kPi);
  if (p.z < 0) u = 1 - u;
  SetTexture(c, u, (p.y + 1) * 0.5, {-p.z, 0, p.x}, {0, 1, 0});
  return c;
}

// ---- flat shapes

// The plane still meets a ray exactly this steep; the square and the disk need one steeper than
// kDiskTolerance.
constexpr double kPlaneTolerance = 0.0001;
// The square and the disk stand for solids this thick along the ray in boolean groups.
constexpr double kBehindSurface = 1e-07;
// In boolean groups the plane stands for the half-space down to this depth; picking rays meet it
// only within this distance of the origin along x and z.
constexpr double kPlaneDepth = -1000000;
constexpr double kPlanePickExtent = 10;
// A plane's texture repeats every 10 units.
constexpr double kPlaneTextureScale = 0.1;

// Where the ray meets y = 0, when it is steep enough for the shape.
bool FlatCrossingT(const CRay& ray, EFlatShape shape, double& t) {
  const double dy = ray.fHit.fObjDirection.y;
  const bool steep = shape == EFlatShape::kPlane ? std::fabs(dy) >= kPlaneTolerance : std::fabs(dy) > kDiskTolerance;
  if (!steep) return false;
  t = -ray.fHit.fObjOrigin.y / dy;
  return true;
}

bool WithinFlat(EFlatShape shape, const vector3<double>& p, bool pick) {
  switch (shape) {
    case EFlatShape::kPlane:
      // The point lies on the plane by construction; its computed y is not compared.
      return !pick || (-kPlanePickExtent <= p.x && p.x <= kPlanePickExtent && -kPlanePickExtent <= p.z &&
                       p.z <= kPlanePickExtent);
    case EFlatShape::kSquare: return -1 <= p.x && p.x <= 1 && -1 <= p.z && p.z <= 1;
    case EFlatShape::kDisk: return p.x * p.x + p.z * p.z <= 1.0;
  }
  return false;
}

// u once round the rim from +z, v from 1 at the centre to 0 on the rim; the tangents run along the
// rim and outward.
template <typename Hit>
void SetDiskTexture(Hit& c, const vector3<double>& p) {
  const double r = FastSqrt(p.x * p.x + p.z * p.z);
  if (r == 0) {
    // The centre has no azimuth; the tangents are the zero vectors the rim formulas give there.
    SetTexture(c, 0, 1, {p.z, 0, -p.x}, {p.x, 0, p.z});
    return;
  }
  double u = std::acos(Clamped(p.z / r)) / (2 * kPi);
  if (p.x < 0) u = 1 - u;
  SetTexture(c, u, 1 - r, {p.z / r, 0, -p.x / r}, {p.x / r, 0, p.z / r});
}

// The surface at point p; the normal is +y from either side.
template <typename Hit>
void FlatSurfaceAt(Hit& c, const CRay& ray, EFlatShape shape, const vector3<double>& p) {
  c.fObjPoint = p;
  c.fObjNormal = {0, 1, 0};
  if (!WantsTexture(ray)) return;
  switch (shape) {
    case EFlatShape::kPlane:
      SetTexture(c, p.x * kPlaneTextureScale, p.z * kPlaneTextureScale, {1, 0, 0}, {0, 0, 1});
      break;
    case EFlatShape::kSquare: SetTexture(c, p.x * 0.5 + 0.5, p.z * 0.5 + 0.5, {1, 0, 0}, {0, 0, 1}); break;
    case EFlatShape::kDisk: SetDiskTexture(c, p); break;
  }
}

SSpanEntry FlatSurface(const CRay& ray, EFlatShape shape, double t, const vector3<double>& p) {
  SSpanEntry c;
  c.fValid = 1;
  c.fT = t;
  FlatSurfaceAt(c, ray, shape, p);
  return c;
}

// ---- torus

// The ray's start for the quartic: where it enters the cylinder around the torus 10% wider than
// its box, cut by the box's top and bottom planes. Far rays so keep the quartic's terms small.
bool TorusStart(const CRay& ray, const C3dBox& box, double& t0) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const double radius = box.fMax.x * 0.1 + box.fMax.x;
  const double radius2 = radius * radius;
  if (std::fabs(d.y) >= kNoQuadratic) {
    const double top = (box.fMax.y - o.y) / d.y;
    const double bottom = (box.fMin.y - o.y) / d.y;
    auto inside = [&](double t) {
      const vector3<double> p = PointAt(ray, t);
      return p.x * p.x + p.z * p.z < radius2;
    };
    const bool topInside = inside(top), bottomInside = inside(bottom);
    if (top < bottom ? topInside : bottomInside) {
      t0 = std::min(top, bottom);
      return true;
    }
  }
  double roots[2];
  if (!SolveQuadratic(d.x * d.x + d.z * d.z, 2 * (d.x * o.x + d.z * o.z), o.x * o.x + o.z * o.z - radius2, roots))
    return false;
  const double y0 = o.y + d.y * roots[0], y1 = o.y + d.y * roots[1];
  if ((y0 < box.fMin.y && y1 < box.fMin.y) || (y0 > box.fMax.y && y1 > box.fMax.y)) return false;
  t0 = roots[0];
  return true;
}

// (|P|² + R² − r²)² = 4R²(x² + z²) in t; none when the ray misses a slab of the box it runs parallel
// to or the bounding cylinder. A tube without thickness is never met.
int TorusRoots(const CRay& ray, const STorus& torus, double roots[4]) {
  if (!(torus.minor > 0)) return 0;
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const C3dBox box = torus.LocalBox();
  for (int axis = 0; axis < 3; ++axis) {
    if (std::fabs(d[axis]) < kNoQuadratic && (o[axis] < box.fMin[axis] || o[axis] > box.fMax[axis])) return 0;
  }
  double t0 = 0;
  if (!TorusStart(ray, box, t0)) return 0;
  const vector3<double> e = PointAt(ray, t0);
  const double r2 = torus.minor * torus.minor, major2 = torus.major * torus.major;
  const double g = Dot(d, d), h = Dot(d, e), k = Dot(e, e) + major2 - r2;
  const double fourR2 = 4 * major2;
  const double c[5] = {k * k - fourR2 * (e.x * e.x + e.z * e.z),
                       2 * (2 * h * k - fourR2 * (d.x * e.x + d.z * e.z)),
                       2 * (g * k + 2 * h * h) - fourR2 * (d.x * d.x + d.z * d.z), 4 * g * h, g * g};
  const int count = SolveQuartic(c, roots);
  for (int i = 0; i < count; ++i) roots[i] += t0;
  return count;
}

// The normal is left at its length on the surface, 2/r; u runs round the y axis, v round the tube.
SSpanEntry TorusSurface(const CRay& ray, const STorus& torus, double t) {
  const vector3<double> p = PointAt(ray, t);
  const double r = torus.minor, r2 = r * r;
  const double rho = FastSqrt(p.x * p.x + p.z * p.z);
  // On the axis (only where R ≤ r) the radial term divides by zero; the normal is the axis.
  vector3<double> normal{0, p.y < 0 ? -1.0 : 1.0, 0};
  if (rho != 0) {
    const double k = 2 * (rho - torus.major) / (rho * r2);
    normal = {k * p.x, 2 * p.y / r2, k * p.z};
  }
  SSpanEntry c = Crossing(t, p, normal);
  if (!WantsTexture(ray)) return c;
  double angle = p.x >= 0 ? kPi / 2 : 0;
  if (p.z != 0) angle = std::atan(-p.x / p.z) + (p.z < 0 ? kPi : 0);
  const double fromRing = rho - torus.major;
  double w = p.y > 0 ? 1.0 : 1.5;
  if (fromRing != 0) w = std::atan((r - p.y) / fromRing) / kPi + 1.0;
  SetTexture(c, angle / (2 * kPi), 1.0 - w, {-p.z, fromRing, 0}, {p.y / r, fromRing / r, 0});
  return c;
}

// The nearest-hit and all-crossings forms of one shape's search.
template <typename Accept, typename Shape, typename Visit, typename Surface>
bool Nearest(const CRay& ray, const Shape& shape, SSpanEntry& hit, Visit visit, Surface surface) {
  SNearest<Accept> nearest(ray);
  visit(ray, shape, nearest);
  if (!nearest.Found()) return false;
  hit = surface(ray, nearest.surface, nearest.t, nearest.point);
  return true;
}

template <typename Shape, typename Visit, typename Surface>
int All(const CRay& ray, const Shape& shape, SSpanEntry crossings[2], Visit visit, Surface surface) {
  SAll all;
  visit(ray, shape, all);
  return Collected(all, crossings, [&](int s, double t, const vector3<double>& p) { return surface(ray, s, t, p); });
}

void Complete(C3dObject& object, SSpanEntry& c) {
  c.fObjShadingNormal = c.fObjNormal;
  CompleteCrossing(object, c);
}

// Half extents, along each world axis, of the image of a unit circle spanned by two object axes.
vector3<double> EllipseExtent(const C34Matrix& toWorld, int axisA, int axisB) {
  const vector3<double> a = toWorld.Row(axisA);
  const vector3<double> b = toWorld.Row(axisB);
  return {std::hypot(a.x, b.x), std::hypot(a.y, b.y), std::hypot(a.z, b.z)};
}

// Half extents of the image of the unit ball.
vector3<double> BallExtent(const C34Matrix& toWorld) {
  const vector3<double> x = toWorld.Row(0);
  const vector3<double> y = toWorld.Row(1);
  const vector3<double> z = toWorld.Row(2);
  return {std::sqrt(x.x * x.x + y.x * y.x + z.x * z.x), std::sqrt(x.y * x.y + y.y * y.y + z.y * z.y),
          std::sqrt(x.z * x.z + y.z * y.z + z.z * z.z)};
}

void ExtendAround(C3dBox& box, const vector3<double>& centre, const vector3<double>& half) {
  box.Extend(centre - half);
  box.Extend(centre + half);
}

// The unit circle of the plane at height y, exactly: sampled points would cut its bulge short on a
// rotated object, and the optimizer would lose hits at its silhouette.
void AddRing(C3dBox& box, const C34Matrix& toWorld, double y) {
  ExtendAround(box, toWorld.TransformPoint({0, y, 0}), EllipseExtent(toWorld, 0, 2));
}

// The sphere's nearest crossing in the ray's interval: the near root, or the far one when the near
// one lies at or before the interval's start.
bool NearestSphereT(const CRay& ray, double& t) {
  double farT = 0;
  bool found = SphereRoots(ray, t, farT) && float(t) < ray.fTMax;
  if (found && float(t) <= ray.fTMin) {
    t = farT;
    found = ray.fTMin < float(t) && float(t) < ray.fTMax;
  }
  return found;
}

// A flat shape's crossing in the ray's interval and its point, on the surface.
bool NearestFlatPoint(const CRay& ray, EFlatShape shape, double& t, vector3<double>& p) {
  // A ray that starts on the surface or moves away from it would meet it at t <= 0, which no ray
  // from t >= 0 accepts: most shadow and sky rays leave the water so, and the division is saved.
  const double oy = ray.fHit.fObjOrigin.y, dy = ray.fHit.fObjDirection.y;
  if (ray.fTMin >= 0 && ((oy >= 0 && dy > 0) || (oy <= 0 && dy < 0))) return false;
  if (!FlatCrossingT(ray, shape, t) || !SFlatAcceptance{ray}(t)) return false;
  p = PointAt(ray, t);
  if (!WithinFlat(shape, p, ray.fFilterRay == 1)) return false;
  p.y = 0;
  return true;
}

}  // namespace

namespace {

// The world-space point and normals of a hit whose object-space surface is set.
template <typename Hit>
void CompleteSurface(C3dObject& object, Hit& c) {
  c.fPoint = object.GetObjectToWorld().TransformPoint(c.fObjPoint);
  c.fNormal = object.NormalToWorld(c.fObjNormal);
  c.fShadingNormal = c.fObjShadingNormal == c.fObjNormal ? c.fNormal : object.NormalToWorld(c.fObjShadingNormal);
}

}  // namespace

void CompleteCrossing(C3dObject& object, SSpanEntry& c) {
  c.fObject = &object;
  CompleteSurface(object, c);
}

void CompleteDeferredHit(CRay& ray) {
  C3dObject* const object = ray.fWorldPending;
  ray.fWorldPending = nullptr;
  if (object && object == ray.fHitObject && !ray.fHitPart) CompleteSurface(*object, ray.fHit);
}

void CompleteHitTexture(CRay& ray) {
  C3dObject* const object = ray.fTexturePending;
  ray.fTexturePending = nullptr;
  if (object && object == ray.fHitObject && !ray.fHitPart) SphereTextureAt(ray.fHit, ray.fHit.fObjPoint);
}

bool PassesEntryTests(C3dObject& object, CRay& ray, bool& answer) {
  answer = false;
  const uint32_t state = object.GetStateFlags();
  if (state & C3dObject::kExcluded) return false;
  if (!ray.fFilterRay) {
    if (!(state & C3dObject::kBooleanMember)) return true;
    answer = C3dGroup::IntersectInBooleanGroup(ray, &object);
    return false;
  }
  return object.PassesPickFilters(ray);
}

void RayToObjectSpace(C3dObject& object, CRay& ray) {
  C3dObject::RayToObject(ray, object.GetWorldToObject(), object.GetObjectToWorld());
}

bool NearestSphereCrossing(const CRay& ray, SSpanEntry& hit) {
  double t = 0;
  if (!NearestSphereT(ray, t)) return false;
  hit = SphereSurface(ray, t);
  return true;
}

bool NearestBoxCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit) {
  return Nearest<SFlatAcceptance>(ray, bottom, hit, VisitBoxFaces<SNearest<SFlatAcceptance>>, BoxSurface);
}

bool NearestPyramidCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit, double size) {
  const SPyramidShape shape{bottom, size};
  return Nearest<SFlatAcceptance>(ray, shape, hit, VisitPyramidFaces<SNearest<SFlatAcceptance>>,
                                  [&shape](const CRay& r, int face, double t, const vector3<double>& p) {
                                    return PyramidSurface(r, shape, face, t, p);
                                  });
}

bool NearestConeCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit) {
  return Nearest<SRoundAcceptance>(ray, bottom, hit, VisitConeSurfaces<SNearest<SRoundAcceptance>>, ConeSurface);
}

bool NearestCylinderCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit) {
  return Nearest<SRoundAcceptance>(ray, bottom, hit, VisitCylinderSurfaces<SNearest<SRoundAcceptance>>,
                                   CylinderSurface);
}

int SphereCrossings(const CRay& ray, SSpanEntry crossings[2]) {
  double entry = 0, exit = 0;
  if (!SphereRoots(ray, entry, exit)) return 0;
  crossings[0] = SphereSurface(ray, entry);
  crossings[1] = SphereSurface(ray, exit);
  return 2;
}

int BoxCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]) {
  return All(ray, bottom, crossings, VisitBoxFaces<SAll>, BoxSurface);
}

int PyramidCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]) {
  const SPyramidShape shape{bottom, 1};
  return All(ray, shape, crossings, VisitPyramidFaces<SAll>,
             [&shape](const CRay& r, int face, double t, const vector3<double>& p) {
               return PyramidSurface(r, shape, face, t, p);
             });
}

int ConeCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]) {
  return All(ray, bottom, crossings, VisitConeSurfaces<SAll>, ConeSurface);
}

int CylinderCrossings(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2]) {
  return All(ray, bottom, crossings, VisitCylinderSurfaces<SAll>, CylinderSurface);
}

namespace {

template <typename Nearest>
bool IntersectShape(C3dObject& object, CRay& ray, Nearest nearest) {
  RayToObjectSpace(object, ray);
  SSpanEntry hit;
  return RecordNearest(object, ray, nearest(ray, hit), hit);
}

// The same for a shape whose search finds the hit's parameter and point before its surface: most
// rays miss the sphere and the plane that every ray meets, and a miss makes no surface record. A hit's
// surface goes straight into the ray's hit record, with the fields and values that recording a
// completed span entry gives (texture values only when the ray wants them); during the renderer's
// search its world-space part is left for the search to complete, should the hit stay the nearest,
// and a sphere's texture values for shading to ask for.
template <typename Find, typename Surface>
bool IntersectFound(C3dObject& object, CRay& ray, Find find, Surface surface) {
  RayToObjectSpace(object, ray);
  double t = 0;
  vector3<double> p;
  if (!find(ray, t, p)) {
    ray.CountMiss();
    return false;
  }
  SRayHit& hit = ray.fHit;
  ray.fTexturePending = nullptr;
  surface(hit, ray, p);
  hit.fObjShadingNormal = hit.fObjNormal;
  if (ray.fDeferWorld) ray.fWorldPending = &object;
  else CompleteSurface(object, hit);
  ray.fHitT = t;
  ray.fHitObject = &object;
  ray.fHitPart = nullptr;
  ray.CountHit();
  return true;
}

// The torus makes the most crossings.
constexpr int kMostCrossings = 4;

// Spans of one call: the crossings found put into the span list by append(crossings, count), or by
// AppendCrossings when at least `least` were found.
template <typename Crossings, typename Append>
bool CollectSpans(C3dObject& object, CRay& ray, Crossings crossings, Append append) {
  if (object.GetStateFlags() & C3dObject::kExcluded) return false;
  RayToObjectSpace(object, ray);
  SSpanEntry found[kMostCrossings];
  return append(found, crossings(ray, found));
}

template <typename Crossings>
bool ShapeSpans(C3dObject& object, CRay& ray, CSpanList& spans, int least, Crossings crossings) {
  return CollectSpans(object, ray, crossings, [&](SSpanEntry* found, int count) {
    return AppendCrossings(object, spans, found, count, least);
  });
}

}  // namespace

bool IntersectSphere(C3dObject& object, CRay& ray) {
  return IntersectFound(
      object, ray,
      [](const CRay& r, double& t, vector3<double>& p) {
        if (!NearestSphereT(r, t)) return false;
        p = PointAt(r, t);
        return true;
      },
      [&object](SRayHit& hit, CRay& r, const vector3<double>& p) {
        if (!r.fDeferWorld || !WantsTexture(r)) return SphereSurfaceAt(hit, r, p);
        hit.fObjPoint = p;
        hit.fObjNormal = p;
        r.fTexturePending = &object;
      });
}

bool IntersectBox(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return IntersectShape(object, ray,
                        [&](const CRay& r, SSpanEntry& hit) { return NearestBoxCrossing(r, bottom, hit); });
}

bool IntersectPyramid(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return IntersectShape(object, ray,
                        [&](const CRay& r, SSpanEntry& hit) { return NearestPyramidCrossing(r, bottom, hit); });
}

bool IntersectCone(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return IntersectShape(object, ray,
                        [&](const CRay& r, SSpanEntry& hit) { return NearestConeCrossing(r, bottom, hit); });
}

bool IntersectCylinder(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return IntersectShape(object, ray,
                        [&](const CRay& r, SSpanEntry& hit) { return NearestCylinderCrossing(r, bottom, hit); });
}

bool SphereSpans(C3dObject& object, CRay& ray, CSpanList& spans) {
  return ShapeSpans(object, ray, spans, 2, SphereCrossings);
}

bool BoxSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, spans, 2, [&](const CRay& r, SSpanEntry* c) { return BoxCrossings(r, bottom, c); });
}

bool PyramidSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, spans, 1, [&](const CRay& r, SSpanEntry* c) { return PyramidCrossings(r, bottom, c); });
}

bool ConeSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, spans, 1, [&](const CRay& r, SSpanEntry* c) { return ConeCrossings(r, bottom, c); });
}

bool CylinderSpans(C3dObject& object, CRay& ray, CSpanList& spans, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, spans, 1, [&](const CRay& r, SSpanEntry* c) { return CylinderCrossings(r, bottom, c); });
}

bool RecordNearest(C3dObject& object, CRay& ray, bool found, SSpanEntry& hit) {
  if (!found) {
    ray.CountMiss();
    return false;
  }
  Complete(object, hit);
  C3dObject::RecordHit(ray, hit, &object, nullptr);
  ray.CountHit();
  return true;
}

bool AppendCrossings(C3dObject& object, CSpanList& spans, SSpanEntry* crossings, int count, int least) {
  if (count == 0 || count < least) return false;
  for (int i = 0; i < count; ++i) Complete(object, crossings[i]);
  // The first crossing stands last in the list: the second goes before it only when nearer.
  const bool swapped = count >= 2 && crossings[1].fT < crossings[0].fT;
  try {
    if (swapped) spans.push_back(crossings[1]);
    spans.push_back(crossings[0]);
    if (count >= 2 && !swapped) spans.push_back(crossings[1]);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool AppendSorted(C3dObject& object, CSpanList& spans, SSpanEntry* crossings, int count) {
  if (count == 0) return false;
  for (int i = 0; i < count; ++i) Complete(object, crossings[i]);
  try {
    spans.insert(spans.end(), crossings, crossings + count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::stable_sort(spans.begin(), spans.end(), [](const SSpanEntry& a, const SSpanEntry& b) { return a.fT < b.fT; });
  return true;
}

void SortFacetSpans(CSpanList& spans, size_t first) {
  if (spans.size() <= first) return;
  const auto begin = spans.begin() + std::ptrdiff_t(first);
  std::stable_sort(begin, spans.end(), [](const SSpanEntry& a, const SSpanEntry& b) { return a.fT < b.fT; });
  const auto same = [](const SSpanEntry& a, const SSpanEntry& b) {
    return std::fabs(a.fT - b.fT) <= kSameSpan * std::max(1.0, std::fabs(a.fT));
  };
  spans.erase(std::unique(begin, spans.end(), same), spans.end());
}

vector3<double> UnitSpherePoint(double polar, double azimuth) {
  return {std::sin(azimuth) * std::sin(polar), std::cos(polar), std::cos(azimuth) * std::sin(polar)};
}

C3dBox SampledWorldBox(const C34Matrix& toWorld, const vector3<double>* points, int count) {
  C3dBox box = C3dBox::Empty();
  for (int i = 0; i < count; ++i) box.Extend(toWorld.TransformPoint(points[i]));
  return box;
}

C3dBox SphereWorldBox(const C34Matrix& toWorld) {
  C3dBox box = C3dBox::Empty();
  ExtendAround(box, toWorld.TransformPoint({0, 0, 0}), BallExtent(toWorld));
  return box;
}

C3dBox PyramidWorldBox(const C34Matrix& toWorld) {
  const vector3<double> points[] = {
      {-0.5, -0.5, 0.5}, {0.5, -0.5, 0.5}, {0.5, -0.5, -0.5}, {-0.5, -0.5, -0.5}, {0, 0.5, 0}};
  return SampledWorldBox(toWorld, points, 5);
}

C3dBox ConeWorldBox(const C34Matrix& toWorld) {
  C3dBox box = C3dBox::Empty();
  AddRing(box, toWorld, -1);
  box.Extend(toWorld.TransformPoint({0, 1, 0}));
  return box;
}

C3dBox CylinderWorldBox(const C34Matrix& toWorld) {
  C3dBox box = C3dBox::Empty();
  AddRing(box, toWorld, 1);
  AddRing(box, toWorld, -1);
  return box;
}

bool NearestFlatCrossing(const CRay& ray, EFlatShape shape, SSpanEntry& hit) {
  double t = 0;
  vector3<double> p;
  if (!NearestFlatPoint(ray, shape, t, p)) return false;
  hit = FlatSurface(ray, shape, t, p);
  return true;
}

int FlatCrossings(const CRay& ray, EFlatShape shape, bool farSide, SSpanEntry crossings[2]) {
  double t = 0;
  if (!FlatCrossingT(ray, shape, t)) return 0;
  vector3<double> p = PointAt(ray, t);
  if (!WithinFlat(shape, p, false)) return 0;
  p.y = 0;
  crossings[0] = FlatSurface(ray, shape, t, p);
  if (!farSide) return 1;
  const bool plane = shape == EFlatShape::kPlane;
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const double far = plane ? (kPlaneDepth - o.y) / d.y : t + kBehindSurface;
  vector3<double> q = PointAt(ray, far);
  if (plane) q.y = kPlaneDepth;
  crossings[1] = FlatSurface(ray, shape, far, q);
  crossings[1].fValid = 0;
  return 2;
}

bool IntersectFlat(C3dObject& object, CRay& ray, EFlatShape shape) {
  return IntersectFound(
      object, ray, [shape](const CRay& r, double& t, vector3<double>& p) { return NearestFlatPoint(r, shape, t, p); },
      [shape](SRayHit& hit, const CRay& r, const vector3<double>& p) { FlatSurfaceAt(hit, r, shape, p); });
}

bool FlatSpans(C3dObject& object, CRay& ray, CSpanList& spans, EFlatShape shape, bool farSide) {
  return ShapeSpans(object, ray, spans, 1,
                    [&](const CRay& r, SSpanEntry* c) { return FlatCrossings(r, shape, farSide, c); });
}

C3dBox STorus::LocalBox() const {
  const double outer = major + minor;
  return {{-outer, -minor, -outer}, {outer, minor, outer}};
}

bool NearestTorusCrossing(const CRay& ray, const STorus& torus, SSpanEntry& hit) {
  double roots[4];
  const int count = TorusRoots(ray, torus, roots);
  SRoundAcceptance accept{ray};
  for (int i = 0; i < count; ++i) {
    if (accept(roots[i])) accept.best = roots[i];
  }
  if (!(accept.best < kInfinity)) return false;
  hit = TorusSurface(ray, torus, accept.best);
  return true;
}

int TorusCrossings(const CRay& ray, const STorus& torus, SSpanEntry crossings[4]) {
  double roots[4];
  const int count = TorusRoots(ray, torus, roots);
  if (count < 2) return 0;
  for (int i = 0; i < count; ++i) crossings[i] = TorusSurface(ray, torus, roots[i]);
  return count;
}

bool IntersectTorus(C3dObject& object, CRay& ray, const STorus& torus) {
  return IntersectShape(object, ray,
                        [&](const CRay& r, SSpanEntry& hit) { return NearestTorusCrossing(r, torus, hit); });
}

bool TorusSpans(C3dObject& object, CRay& ray, CSpanList& spans, const STorus& torus) {
  return CollectSpans(
      object, ray, [&](const CRay& r, SSpanEntry* c) { return TorusCrossings(r, torus, c); },
      [&](SSpanEntry* found, int count) { return AppendSorted(object, spans, found, count); });
}

// The torus lies within its centre circle widened by a ball of the tube's radius; that sum's box is
// exact for an unrotated torus and never short for a rotated one.
C3dBox TorusWorldBox(const C34Matrix& toWorld, const STorus& torus) {
  C3dBox box = C3dBox::Empty();
  ExtendAround(box, toWorld.TransformPoint({0, 0, 0}),
               EllipseExtent(toWorld, 0, 2) * torus.major + BallExtent(toWorld) * torus.minor);
  return box;
}

C3dBox DiskWorldBox(const C34Matrix& toWorld) {
  C3dBox box = C3dBox::Empty();
  AddRing(box, toWorld, 0);
  return box;
}
