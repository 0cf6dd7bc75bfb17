#include "scene/pyramid_light.h"

#include <cmath>

#include "framework/core/fast_math.h"
#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"

namespace {

constexpr C3dBox kLocalBox{{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}};
constexpr double kAxisEnd = 2 * kLocalBox.fMin.y;

}  // namespace

// ---- class mesh

// The base square, the edges from the apex to its corners, then the axis stroke.
int32_t C3dPyramidLight::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  if (!mesh) return kErrUnexpectedStatus;
  if (!mesh->Clear()) return kErrOutOfMemory;
  const vector3<double>& low = kLocalBox.fMin;
  const vector3<double>& high = kLocalBox.fMax;
  const SVertex points[] = {
      {low.x, low.y, high.z}, {high.x, low.y, high.z}, {high.x, low.y, low.z}, {low.x, low.y, low.z}, {0, high.y, 0}};
  for (const SVertex& point : points) {
    if (!mesh->AddVertex(point)) return kErrOutOfMemory;
  }
  for (uint32_t i = 0; i < 4; ++i) {
    if (!mesh->AddEdge(i, (i + 1) % 4)) return kErrOutOfMemory;
  }
  for (uint32_t i = 0; i < 4; ++i) {
    if (!mesh->AddEdge(i, 4)) return kErrOutOfMemory;
  }
  return AddAxisStroke(mesh, kAxisEnd) ? kNoErr : kErrOutOfMemory;
}

// ---- boxes and rays

C3dBox C3dPyramidLight::LocalBox() { return kLocalBox; }

C3dBox C3dPyramidLight::WorldBox() { return WithAxisStroke(PyramidWorldBox(GetObjectToWorld()), kAxisEnd); }

SShapeBottom C3dPyramidLight::Bottom(const CRay& ray) const {
  return FollowsBeam(ray) ? SShapeBottom{kBeamBottom, false} : kPyramidBottom;
}

bool C3dPyramidLight::Intersect(CRay& ray) {
  bool answer = false;
  return PassesLightEntryTests(ray, answer) ? IntersectPyramid(*this, ray, Bottom(ray)) : answer;
}

bool C3dPyramidLight::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  return PyramidSpans(*this, ray, spans, Bottom(ray));
}

// ---- light

// At depth h below the apex the lit square's half-width is h/2; the apex's plane receives nothing.
bool C3dPyramidLight::Reach(const vector3<double>& local, double& falloff) const {
  const double h = 0.5 - local.y;
  if (!(h > 0)) return false;
  const float x = std::fabs(float(local.x)), z = std::fabs(float(local.z));
  if (!(x <= h / 2 && z <= h / 2)) return false;
  const double a = 2 * x / h, b = 2 * z / h;
  falloff = SquareFalloff(1 - a * a, 1 - b * b);
  return true;
}

// The beam line met with the plane one unit below the apex.
SLightSlide C3dPyramidLight::SlideAt(const vector3<double>& local) const {
  const vector3<double> v{local.x, local.y - 0.5, local.z};
  const vector3<double> d = v * FastInvSqrt(Dot(v, v));
  const double s = -1 / d.y;
  return {{d.x * s, -0.5, d.z * s}, {0, -1, 0}, d.x * s + 0.5, d.z * s + 0.5};
}
