#include "scene/sphere_light.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/core/fast_math.h"
#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"
#include "scene/sphere.h"

namespace {

constexpr double kPi = std::numbers::pi;

constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};
// The wireframe is the sphere's at six: 7 rings of 6 vertices.
constexpr uint32_t kMeshDetail = 6;

}  // namespace

C3dSphereLight::C3dSphereLight(const SObjectKey& key) : C3dLightClass(key) { SizeRecord(kRecordSize); }

// ---- class mesh

int32_t C3dSphereLight::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  return C3dSphere::MakeClassMesh(mesh, kMeshDetail);
}

// ---- boxes and rays

C3dBox C3dSphereLight::LocalBox() { return kLocalBox; }

C3dBox C3dSphereLight::WorldBox() { return SphereWorldBox(GetObjectToWorld()); }

bool C3dSphereLight::Intersect(CRay& ray) {
  bool answer = false;
  return PassesLightEntryTests(ray, answer) ? IntersectSphere(*this, ray) : answer;
}

bool C3dSphereLight::IntersectSpans(CRay& ray, bool, CSpanList& spans) { return SphereSpans(*this, ray, spans); }

// ---- light

bool C3dSphereLight::SwapRecord(uint8_t* record, uint32_t size) {
  return size >= kRecordSize && C3dShapedLight::SwapRecord(record, size);
}

bool C3dSphereLight::Reach(const vector3<double>&, double& falloff) const {
  falloff = 1;
  return true;
}

SLightSlide C3dSphereLight::SlideAt(const vector3<double>& local) const {
  const double length2 = Dot(local, local);
  // At the centre itself every direction is as good: straight down.
  const vector3<double> d = length2 > 1e-150 ? local * FastInvSqrt(length2) : vector3<double>{0, -1, 0};
  SLightSlide slide{d, d};
  const double polar = std::acos(std::clamp(-d.y, -1.0, 1.0));
  slide.v = polar / kPi;
  if (slide.v != 0 && slide.v != 1) {
    slide.u = std::acos(std::clamp(d.x / std::sin(polar), -1.0, 1.0)) / (2 * kPi);
    if (!(d.z > 0)) slide.u = 1 - slide.u;
  }
  return slide;
}
