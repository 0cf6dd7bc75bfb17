#include "scene/shape_intersection.h"

#include <algorithm>
#include <cmath>
#include <limits>
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
// World boxes sample round shapes every 15 degrees.
constexpr int kBoxSamples = 24;

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

void SetTexture(SSpanEntry& c, double u, double v, const vector3<double>& tangentU, const vector3<double>& tangentV) {
  c.fU = u;
  c.fV = v;
  c.fTangentU = tangentU;
  c.fTangentV = tangentV;
}

SSpanEntry Crossing(double t, const vector3<double>& point, const vector3<double>& normal) {
  SSpanEntry c;
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
  const double k = FastInvSqrt(length2);
  const double b = Dot(d, -o) * k;
  const double disc = 1 - (Dot(o, o) - b * b);
  if (!(disc >= 0)) return false;
  const double s = FastSqrt(disc);
  nearT = (b - s) * k;
  farT = (b + s) * k;
  return true;
}

// u from the azimuth (from +z towards +x), v from the polar angle measured from -y.
SSpanEntry SphereSurface(const CRay& ray, double t) {
  const vector3<double> p = PointAt(ray, t);
  // On the unit sphere the normal is the point.
  SSpanEntry c = Crossing(t, p, p);
  if (!WantsTexture(ray)) return c;
  const double polar = std::acos(Clamped(-p.y));
  c.fV = polar / kPi;
  if (c.fV != 0 && c.fV != 1) {
    c.fU = std::acos(Clamped(p.x / std::sin(polar))) / (2 * kPi);
    if (p.z <= 0) c.fU = 1 - c.fU;
  }
  const double r = std::sqrt(p.x * p.x + p.z * p.z);
  // At the poles the direction of growing u is undefined.
  if (r > 0) c.fTangentU = {-p.z / r, 0, p.x / r};
  c.fTangentV = {0, 1, 0};
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

template <typename Collect>
void VisitPyramidFaces(const CRay& ray, const SShapeBottom& bottom, Collect& collect) {
  const vector3<double>& o = ray.fHit.fObjOrigin;
  const vector3<double>& d = ray.fHit.fObjDirection;
  const double halfWidth = (0.5 - bottom.level) * 0.5;
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
    const double t = (-n.x * o.x + n.y * (0.5 - o.y) - n.z * o.z) / denominator;
    const vector3<double> p = o + d * t;
    const int lateral = kSides[side].lateral;
    const double across = p[2 - lateral];
    const double h = (p.y - 0.5) * 0.5;
    if (bottom.level <= p.y && p.y <= 0.5 && -halfWidth <= across && across <= halfWidth && h <= p[lateral] &&
        p[lateral] <= -h && collect.Offer(side + 1, t, p))
      return;
  }
}

SSpanEntry PyramidSurface(const CRay& ray, int face, double t, const vector3<double>& p) {
  if (face == 0) {
    SSpanEntry c = Crossing(t, p, {0, 1, 0});
    if (WantsTexture(ray)) SetTexture(c, p.x + 0.5, p.z + 0.5, {1, 0, 0}, {0, 0, 1});
    return c;
  }
  const SPyramidSide& side = kSides[face - 1];
  SSpanEntry c = Crossing(t, p, side.normal);
  if (!WantsTexture(ray)) return c;
  const double h = (p.y - 0.5) * 0.5;
  // At the apex the side has no width to measure across.
  const double u = h == 0 ? 0.5 : p[side.lateral] / (h * -2) + 0.5;
  vector3<double> tangentU;
  At(tangentU, side.lateral) = 1;
  SetTexture(c, u, p.y + 0.5, tangentU, {0, 1, 0});
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

// The nearest-hit and all-crossings forms of one shape's search.
template <typename Accept, typename Visit, typename Surface>
bool Nearest(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit, Visit visit, Surface surface) {
  SNearest<Accept> nearest(ray);
  visit(ray, bottom, nearest);
  if (!nearest.Found()) return false;
  hit = surface(ray, nearest.surface, nearest.t, nearest.point);
  return true;
}

template <typename Visit, typename Surface>
int All(const CRay& ray, const SShapeBottom& bottom, SSpanEntry crossings[2], Visit visit, Surface surface) {
  SAll all;
  visit(ray, bottom, all);
  return Collected(all, crossings, [&](int s, double t, const vector3<double>& p) { return surface(ray, s, t, p); });
}

void Complete(C3dObject& object, SSpanEntry& c) {
  c.fValid = 1;
  c.fObjShadingNormal = c.fObjNormal;
  CompleteCrossing(object, c);
}

C3dBox SampledBox(const C34Matrix& toWorld, const vector3<double>* points, int count) {
  C3dBox box = C3dBox::Empty();
  for (int i = 0; i < count; ++i) box.Extend(toWorld.TransformPoint(points[i]));
  return box;
}

// (sin a, y, cos a) for a = 0, 15, ..., 345 degrees.
void AddRing(C3dBox& box, const C34Matrix& toWorld, double y) {
  for (int i = 0; i < kBoxSamples; ++i) {
    const double a = i * 2 * kPi / kBoxSamples;
    box.Extend(toWorld.TransformPoint({std::sin(a), y, std::cos(a)}));
  }
}

}  // namespace

void CompleteCrossing(C3dObject& object, SSpanEntry& c) {
  c.fObject = &object;
  c.fPoint = object.GetObjectToWorld().TransformPoint(c.fObjPoint);
  c.fNormal = object.NormalToWorld(c.fObjNormal);
  c.fShadingNormal = c.fObjShadingNormal == c.fObjNormal ? c.fNormal : object.NormalToWorld(c.fObjShadingNormal);
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
  double t = 0, farT = 0;
  bool found = SphereRoots(ray, t, farT) && float(t) < ray.fTMax;
  if (found && float(t) <= ray.fTMin) {
    t = farT;
    found = ray.fTMin < float(t) && float(t) < ray.fTMax;
  }
  if (found) hit = SphereSurface(ray, t);
  return found;
}

bool NearestBoxCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit) {
  return Nearest<SFlatAcceptance>(ray, bottom, hit, VisitBoxFaces<SNearest<SFlatAcceptance>>, BoxSurface);
}

bool NearestPyramidCrossing(const CRay& ray, const SShapeBottom& bottom, SSpanEntry& hit) {
  return Nearest<SFlatAcceptance>(ray, bottom, hit, VisitPyramidFaces<SNearest<SFlatAcceptance>>, PyramidSurface);
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
  return All(ray, bottom, crossings, VisitPyramidFaces<SAll>, PyramidSurface);
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

template <typename Crossings>
bool ShapeSpans(C3dObject& object, CRay& ray, int least, Crossings crossings) {
  if (object.GetStateFlags() & C3dObject::kExcluded) return false;
  RayToObjectSpace(object, ray);
  SSpanEntry found[2];
  return AppendCrossings(object, found, crossings(ray, found), least);
}

}  // namespace

bool IntersectSphere(C3dObject& object, CRay& ray) { return IntersectShape(object, ray, NearestSphereCrossing); }

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

bool SphereSpans(C3dObject& object, CRay& ray) { return ShapeSpans(object, ray, 2, SphereCrossings); }

bool BoxSpans(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, 2, [&](const CRay& r, SSpanEntry* c) { return BoxCrossings(r, bottom, c); });
}

bool PyramidSpans(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, 1, [&](const CRay& r, SSpanEntry* c) { return PyramidCrossings(r, bottom, c); });
}

bool ConeSpans(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, 1, [&](const CRay& r, SSpanEntry* c) { return ConeCrossings(r, bottom, c); });
}

bool CylinderSpans(C3dObject& object, CRay& ray, const SShapeBottom& bottom) {
  return ShapeSpans(object, ray, 1, [&](const CRay& r, SSpanEntry* c) { return CylinderCrossings(r, bottom, c); });
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

bool AppendCrossings(C3dObject& object, SSpanEntry* crossings, int count, int least) {
  if (count == 0 || count < least) return false;
  for (int i = 0; i < count; ++i) Complete(object, crossings[i]);
  CDynTable<SSpanEntry>& spans = object.GetSpans();
  if (!spans.Append(crossings[0])) return false;
  if (count < 2) return true;
  // The first crossing stands last in the table: the second goes before it only when nearer.
  return crossings[1].fT < crossings[0].fT ? spans.InsertAt(spans.GetCount() - 1, &crossings[1], 1)
                                           : spans.Append(crossings[1]);
}

void SortFacetSpans(CDynTable<SSpanEntry>& spans, uint32_t first) {
  if (spans.GetCount() <= first) return;
  SSpanEntry* begin = spans.GetRecords() + first;
  SSpanEntry* end = spans.GetRecords() + spans.GetCount();
  std::stable_sort(begin, end, [](const SSpanEntry& a, const SSpanEntry& b) { return a.fT < b.fT; });
  const auto same = [](const SSpanEntry& a, const SSpanEntry& b) {
    return std::fabs(a.fT - b.fT) <= kSameSpan * std::max(1.0, std::fabs(a.fT));
  };
  const uint32_t kept = uint32_t(std::unique(begin, end, same) - spans.GetRecords());
  if (kept < spans.GetCount()) spans.RemoveAt(kept, spans.GetCount() - kept);
}

vector3<double> UnitSpherePoint(double polar, double azimuth) {
  return {std::sin(azimuth) * std::sin(polar), std::cos(polar), std::cos(azimuth) * std::sin(polar)};
}

C3dBox SphereWorldBox(const C34Matrix& toWorld) {
  C3dBox box = C3dBox::Empty();
  for (int k = 0; k <= kBoxSamples; ++k) {
    for (int j = 0; j < kBoxSamples; ++j)
      box.Extend(toWorld.TransformPoint(UnitSpherePoint(k * kPi / kBoxSamples, j * 2 * kPi / kBoxSamples)));
  }
  return box;
}

C3dBox PyramidWorldBox(const C34Matrix& toWorld) {
  const vector3<double> points[] = {
      {-0.5, -0.5, 0.5}, {0.5, -0.5, 0.5}, {0.5, -0.5, -0.5}, {-0.5, -0.5, -0.5}, {0, 0.5, 0}};
  return SampledBox(toWorld, points, 5);
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
