#include "scene/cone_light.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/core/fast_math.h"
#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"

namespace {

constexpr double kPi = std::numbers::pi;

constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};
// The cosine of the beam's half-angle, whose tangent is 0.5, and 1 / (1 − it).
constexpr double kEdgeCosine = 0.8944271909999;
constexpr double kFalloffScale = 9.472135954998153;
constexpr uint32_t kRimVertices = 6;
constexpr double kAxisEnd = -2;

// The unit direction from the apex to a point; false at the apex itself.
bool FromApex(const vector3<double>& local, vector3<double>& d) {
  const vector3<double> v{local.x, local.y - 1, local.z};
  const double length2 = Dot(v, v);
  if (!(length2 > 1e-150)) return false;
  d = v * FastInvSqrt(length2);
  return true;
}

}  // namespace

// ---- class mesh

// The base hexagon with a spoke from the apex to each corner, then the axis stroke.
int32_t C3dConeLight::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  if (!mesh) return kErrUnexpectedStatus;
  if (!mesh->Clear()) return kErrOutOfMemory;
  for (uint32_t i = 0; i < kRimVertices; ++i) {
    const double a = i * 2 * kPi / kRimVertices;
    if (!mesh->AddVertex({std::sin(a), -1, std::cos(a)})) return kErrOutOfMemory;
  }
  if (!mesh->AddVertex({0, 1, 0})) return kErrOutOfMemory;
  for (uint32_t i = 0; i < kRimVertices; ++i) {
    if (!mesh->AddEdge(i, (i + 1) % kRimVertices) || !mesh->AddEdge(i, kRimVertices)) return kErrOutOfMemory;
  }
  return AddAxisStroke(mesh, kAxisEnd) ? kNoErr : kErrOutOfMemory;
}

// ---- boxes and rays

C3dBox C3dConeLight::LocalBox() { return kLocalBox; }

C3dBox C3dConeLight::WorldBox() { return WithAxisStroke(ConeWorldBox(GetObjectToWorld()), kAxisEnd); }

SShapeBottom C3dConeLight::Bottom(const CRay& ray) const {
  return FollowsBeam(ray) ? SShapeBottom{kBeamBottom, false} : kConeBottom;
}

bool C3dConeLight::Intersect(CRay& ray) {
  bool answer = false;
  return PassesLightEntryTests(ray, answer) ? IntersectCone(*this, ray, Bottom(ray)) : answer;
}

bool C3dConeLight::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  return ConeSpans(*this, ray, spans, Bottom(ray));
}

// ---- light

bool C3dConeLight::Reach(const vector3<double>& local, double& falloff) const {
  vector3<double> d;
  // Behind the apex, at the apex and outside the cone nothing arrives.
  if (local.y > 1 || !FromApex(local, d)) return false;
  const double c = -d.y;
  if (c < kEdgeCosine) return false;
  falloff = EdgeFalloff((c - kEdgeCosine) * kFalloffScale, GetExponent());
  return true;
}

// The beam line met with the base plane, two units below the apex.
SLightSlide C3dConeLight::SlideAt(const vector3<double>& local) const {
  vector3<double> d;
  FromApex(local, d);
  const double s = -2 / d.y;
  SLightSlide slide{{d.x * s, -1, d.z * s}, {0, -1, 0}};
  const double r = FastSqrt(d.x * s * d.x * s + d.z * s * d.z * s);
  // On the axis the angle around it is undefined.
  if (r > 0) {
    slide.u = std::acos(std::clamp(d.x * s / r, -1.0, 1.0)) / (2 * kPi);
    if (d.z * s < 0) slide.u = 1 - slide.u;
  }
  slide.v = r;
  return slide;
}
