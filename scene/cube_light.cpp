#include "scene/cube_light.h"

#include <cmath>

#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"

namespace {

constexpr C3dBox kLocalBox{{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}};
constexpr double kAxisEnd = 2 * kLocalBox.fMin.y;

}  // namespace

// ---- class mesh

// The box's corners, its twelve edges, then the axis stroke.
int32_t C3dCubeLight::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  if (!mesh) return kErrUnexpectedStatus;
  if (!mesh->Clear()) return kErrOutOfMemory;
  const vector3<double>& low = kLocalBox.fMin;
  const vector3<double>& high = kLocalBox.fMax;
  for (const double z : {low.z, high.z}) {
    const SVertex corners[] = {{low.x, high.y, z}, {high.x, high.y, z}, {high.x, low.y, z}, {low.x, low.y, z}};
    for (const SVertex& corner : corners) {
      if (!mesh->AddVertex(corner)) return kErrOutOfMemory;
    }
  }
  for (uint32_t i = 0; i < 4; ++i) {
    const uint32_t next = (i + 1) % 4;
    if (!mesh->AddEdge(i, next) || !mesh->AddEdge(i + 4, next + 4) || !mesh->AddEdge(i, i + 4)) return kErrOutOfMemory;
  }
  return AddAxisStroke(mesh, kAxisEnd) ? kNoErr : kErrOutOfMemory;
}

// ---- boxes and rays

C3dBox C3dCubeLight::LocalBox() { return kLocalBox; }

C3dBox C3dCubeLight::WorldBox() { return WithAxisStroke(kLocalBox.Transform(GetObjectToWorld()), kAxisEnd); }

// An unbounded beam's box reaches far down, its bottom face still closing it.
SShapeBottom C3dCubeLight::Bottom(const CRay& ray) const {
  return FollowsBeam(ray) ? SShapeBottom{kBeamBottom, true} : kBoxBottom;
}

bool C3dCubeLight::Intersect(CRay& ray) {
  bool answer = false;
  return PassesLightEntryTests(ray, answer) ? IntersectBox(*this, ray, Bottom(ray)) : answer;
}

bool C3dCubeLight::IntersectSpans(CRay& ray, bool, CSpanList& spans) {
  return BoxSpans(*this, ray, spans, Bottom(ray));
}

// ---- light

// The beam has no lower end; the magnitudes across it are taken in single precision.
bool C3dCubeLight::Reach(const vector3<double>& local, double& falloff) const {
  const float x = std::fabs(float(local.x)), z = std::fabs(float(local.z));
  if (!(local.y <= 0.5 && x <= 0.5f && z <= 0.5f)) return false;
  falloff = SquareFalloff(1 - (2.0 * x) * (2.0 * x), 1 - (2.0 * z) * (2.0 * z));
  return true;
}

SLightSlide C3dCubeLight::SlideAt(const vector3<double>& local) const {
  return {{local.x, -0.5, local.z}, {0, -1, 0}, local.x + 0.5, local.z + 0.5};
}
