#include "scene/cylinder_light.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/core/fast_math.h"
#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"

namespace {

constexpr double kPi = std::numbers::pi;

constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};
constexpr uint32_t kRimVertices = 6;
constexpr double kAxisEnd = -2;

}  // namespace

// ---- class mesh

// Top and bottom hexagons joined corner to corner, then the axis stroke.
int32_t C3dCylinderLight::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  if (!mesh) return kErrUnexpectedStatus;
  if (!mesh->Clear()) return kErrOutOfMemory;
  for (const double y : {1.0, -1.0}) {
    for (uint32_t i = 0; i < kRimVertices; ++i) {
      const double a = i * 2 * kPi / kRimVertices;
      if (!mesh->AddVertex({std::sin(a), y, std::cos(a)})) return kErrOutOfMemory;
    }
  }
  for (uint32_t i = 0; i < kRimVertices; ++i) {
    const uint32_t next = (i + 1) % kRimVertices;
    if (!mesh->AddEdge(i, next) || !mesh->AddEdge(i, i + kRimVertices) ||
        !mesh->AddEdge(i + kRimVertices, next + kRimVertices))
      return kErrOutOfMemory;
  }
  return AddAxisStroke(mesh, kAxisEnd) ? kNoErr : kErrOutOfMemory;
}

// ---- boxes and rays

C3dBox C3dCylinderLight::LocalBox() { return kLocalBox; }

C3dBox C3dCylinderLight::WorldBox() { return WithAxisStroke(CylinderWorldBox(GetObjectToWorld()), kAxisEnd); }

SShapeBottom C3dCylinderLight::Bottom(const CRay& ray) const {
  return FollowsBeam(ray) ? SShapeBottom{kBeamBottom, false} : kCylinderBottom;
}

bool C3dCylinderLight::Intersect(CRay& ray) {
  bool answer = false;
  return PassesLightEntryTests(ray, answer) ? IntersectCylinder(*this, ray, Bottom(ray)) : answer;
}

bool C3dCylinderLight::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  return CylinderSpans(*this, ray, spans, Bottom(ray));
}

// ---- light

// The beam has no lower end; the distance from the axis is taken in single precision.
bool C3dCylinderLight::Reach(const vector3<double>& local, double& falloff) const {
  if (local.y > 1) return false;
  const float x = float(local.x), z = float(local.z);
  const double r = FastSqrtFloat(x * x + z * z);
  if (r > 1) return false;
  falloff = EdgeFalloff(1 - r * r, GetExponent());
  return true;
}

SLightSlide C3dCylinderLight::SlideAt(const vector3<double>& local) const {
  SLightSlide slide{{local.x, -1, local.z}, {0, -1, 0}};
  const double r = FastSqrt(local.x * local.x + local.z * local.z);
  // On the axis the angle around it is undefined.
  if (r > 0) {
    slide.u = std::acos(std::clamp(local.x / r, -1.0, 1.0)) / (2 * kPi);
    if (local.z < 0) slide.u = 1 - slide.u;
  }
  slide.v = r;
  return slide;
}
