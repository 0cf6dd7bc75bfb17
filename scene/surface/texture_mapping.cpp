#include "scene/surface/texture_mapping.h"

#include <algorithm>
#include <cmath>

#include "framework/core/four_cc.h"
#include "scene/object.h"
#include "scene/ray.h"
#include "scene/shape_intersection.h"
#include "scene/surface/base_texture.h"
#include "scene/texture/noise.h"
#include "scene/texture/texture_math.h"

namespace {

enum EMappingMode : int32_t {
  kObjectSpace = 0,
  kWorldSpace = 1,
  kSurface = 2,
  kSurfaceScaled = 3,
  kPlanarWorld = 4,
  kSpherical = 5,
  kCylindrical = 6,
  kSphericalLocal = 7,
  kNoiseCoordinates = 8,
  kBoxFromAbove = 9,
  kBoxFromFront = 10,
};

// The noise kind whose values become the coordinates of mode 8, read in three dimensions.
constexpr int32_t kNoiseDimension = 2;

struct SMapping {
  vector3<double> q;
  double u = 0;
  double v = 0;
  vector3<double> tangentU;
  vector3<double> tangentV;
};

// What the hit offers the modes: its points, surface parameters and tangents, and the object.
struct SHitPlace {
  vector3<double> objectPoint;
  vector3<double> worldPoint;
  double a = 0;
  double b = 0;
  vector3<double> tangentU;
  vector3<double> tangentV;
  C3dObject* object = nullptr;
};

vector3<double> Normalised(const vector3<double>& v) {
  const double length = std::sqrt(Dot(v, v));
  return length > 0 ? v * (1 / length) : v;
}

// A direction turned by the 3x3 part of the object-to-world transform, row by row.
vector3<double> TurnedByRows(const C34Matrix& m, const vector3<double>& d) {
  return {Dot(m.Row(0), d), Dot(m.Row(1), d), Dot(m.Row(2), d)};
}

C34Matrix ObjectToWorld(C3dObject* object) { return object ? object->GetObjectToWorld() : C34Matrix(); }

// Both coordinates take the same form (q.x, q.y, 1).
SMapping Planar(double u, double v, double s) {
  SMapping m;
  m.u = u;
  m.v = v;
  m.q = {u * s, v * s, 1};
  return m;
}

// The direction from the object's centre, as longitude and latitude; the centre itself looks up.
vector3<double> Spherical(const vector3<double>& p, double& u, double& v) {
  const double length = std::sqrt(Dot(p, p));
  const vector3<double> n = length > 0 ? p * (1 / length) : vector3<double>{0, 1, 0};
  u = std::atan2(n.z, -n.x);
  v = kPi - std::atan2(n.y, std::sqrt(std::max(0.0, 1 - n.y * n.y)));
  return n;
}

SMapping MapSpherical(const SHitPlace& hit, double s, bool local, bool wantsGradient) {
  double u = 0, v = 0;
  const vector3<double> n = Spherical(hit.objectPoint, u, v);
  SMapping m = Planar(u / kTwoPi, v / kPi, s);
  m.u = u;
  m.v = v;
  if (local) {
    m.tangentU = {-n.z, 0, n.x};
    m.tangentV = {-n.x, -1, -n.z};
  } else if (wantsGradient) {
    const C34Matrix toWorld = ObjectToWorld(hit.object);
    m.tangentU = Normalised(TurnedByRows(toWorld, {-n.z, 0, n.x}));
    m.tangentV = Normalised(toWorld.Row(1));
  }
  return m;
}

SMapping MapCylindrical(const SHitPlace& hit, double s) {
  const vector3<double>& p = hit.objectPoint;
  const double u = std::atan2(p.z, -p.x), v = p.y * 0.5 + 1;
  SMapping m = Planar(u / kTwoPi, v, s);
  m.u = u;
  m.v = v;
  const C34Matrix toWorld = ObjectToWorld(hit.object);
  m.tangentU = Normalised(TurnedByRows(toWorld, {-p.z, p.x, 0}));
  m.tangentV = Normalised(toWorld.Row(1));
  return m;
}

// (s·c − minimum) / extent within 0..1; a box of no extent there gives 0.
double BoxCoordinate(double c, double s, double minimum, double maximum) {
  const double extent = maximum - minimum;
  return extent > 0 ? Clamp01((s * c - minimum) / extent) : 0;
}

// Modes 9 and 10: the box's axis i (1 from above, 2 from the front) decides which points see the
// picture; the other two give u and v.
SMapping MapOntoBox(const SHitPlace& hit, double s, bool fromAbove) {
  SMapping m;
  if (!hit.object) return m;
  const C3dBox box = hit.object->LocalBox();
  const vector3<double>& p = hit.objectPoint;
  const bool sphere = hit.object->GetClass() == FourCC("sphr");
  if (fromAbove) {
    const double threshold = sphere ? (box.fMin.y + box.fMax.y) * 0.5 : box.fMin.y;
    if (p.y < threshold) return m;
  } else {
    const double threshold = sphere ? (box.fMin.z + box.fMax.z) * 0.5 : box.fMax.z;
    if (p.z > threshold) return m;
  }
  m.u = BoxCoordinate(p.x, s, box.fMin.x, box.fMax.x);
  m.v = fromAbove ? BoxCoordinate(p.z, s, box.fMin.z, box.fMax.z) : BoxCoordinate(p.y, s, box.fMin.y, box.fMax.y);
  m.q = {m.u, m.v, 1};
  const C34Matrix toWorld = ObjectToWorld(hit.object);
  m.tangentU = Normalised(toWorld.Row(0));
  m.tangentV = Normalised(toWorld.Row(fromAbove ? 2 : 1));
  return m;
}

SMapping MapMode(int32_t mode, const SHitPlace& hit, const vector3<double>& place, double s, bool picture,
                 bool wantsGradient) {
  SMapping m;
  switch (mode) {
    case kObjectSpace:
      m.q = (hit.objectPoint + place) * (s * 0.5);
      if (picture) m.q = {m.q.x, m.q.z, m.q.z};
      m.tangentU = {1, 0, 0};
      m.tangentV = {0, 0, 1};
      break;
    case kWorldSpace:
      m.q = (hit.worldPoint + place) * (s * 0.4);
      if (picture) m.q.y = -m.q.y;
      m.tangentU = {1, 0, 0};
      m.tangentV = {0, 1, 0};
      break;
    case kSurface:
      m.q = {s * (place.x + hit.a), s * (place.z + hit.b), 1};
      m.u = hit.a;
      m.v = hit.b;
      m.tangentU = hit.tangentU;
      m.tangentV = hit.tangentV;
      return m;
    case kSurfaceScaled: {
      const vector3<double> half = ObjectToWorld(hit.object).TransformVector({1, 1, 1}) * 0.5;
      m.q = {hit.a * half.x, hit.b * half.y, 1};
      m.tangentU = hit.tangentU;
      m.tangentV = hit.tangentV;
      break;
    }
    case kPlanarWorld:
      m.q = {hit.worldPoint.x * s * 0.25 + place.x, hit.worldPoint.z * s * 0.25 + place.z, 1};
      m.tangentU = {1, 0, 0};
      m.tangentV = {0, 0, 1};
      break;
    case kSpherical: return MapSpherical(hit, s, false, wantsGradient);
    case kSphericalLocal: return MapSpherical(hit, s, true, wantsGradient);
    case kCylindrical: return MapCylindrical(hit, s);
    case kNoiseCoordinates: {
      const vector3<double> p = hit.objectPoint * 10.0;
      m = Planar(FractalValueNoise(p, kNoiseDimension), FractalValueNoise({p.y, p.x, -p.z}, kNoiseDimension), s);
      m.tangentU = {1, 0, 0};
      m.tangentV = {0, 0, 1};
      return m;
    }
    case kBoxFromAbove: return MapOntoBox(hit, s, true);
    case kBoxFromFront: return MapOntoBox(hit, s, false);
    default: return m;
  }
  m.u = m.q.x;
  m.v = m.q.y;
  return m;
}

// A mirrored repeat: folded into a period of 2, the second half running back along a reversed
// tangent, and kept off the picture's far edge.
void Fold(double& c, vector3<double>& tangent) {
  c = std::fmod(c, 2.0);
  if (c < 0) c += 2;
  if (c > 1) {
    c = 2 - c;
    tangent = -tangent;
  }
  c = std::min(c, 0.99);
}

// Picture coordinates are kept as floats; a coordinate beyond their range keeps its sign at the
// largest one.
float ToFloat(double c) {
  constexpr double kLargest = 3.4028234663852886e38;
  return float(std::clamp(c, -kLargest, kLargest));
}

}  // namespace

void MapTexture(CRay& ray, const SMaterialComponent& component, bool picture, STextureSample& sample) {
  CompleteHitTexture(ray);
  const SRayHit& h = ray.fHit;
  const SHitPlace hit{h.fObjPoint, h.fPoint, h.fU, h.fV, h.fTangentU, h.fTangentV,
                      ray.fHitPart ? ray.fHitPart : ray.fHitObject};
  const double s = picture ? std::trunc(component.scale * 20) + 1 : component.scale;
  SMapping m = MapMode(component.mappingMode, hit, component.placement, s, picture, sample.gradientWanted == 1);
  const bool mirrorable = component.mappingMode == kWorldSpace || component.mappingMode == kPlanarWorld;
  if (picture && mirrorable && (component.flags & SMaterialComponent::kMirrored)) {
    Fold(m.q.x, m.tangentU);
    Fold(m.q.y, m.tangentV);
    m.u = m.q.x;
    m.v = m.q.y;
  }
  sample.point = m.q;
  sample.u = ToFloat(m.u);
  sample.v = ToFloat(m.v);
  sample.tangentU = m.tangentU;
  sample.tangentV = m.tangentV;
}
