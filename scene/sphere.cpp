#include "scene/sphere.h"

#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

}  // namespace

int32_t C3dSphere::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  C3dClassMeshBuilder builder(mesh);
  for (uint32_t k = 0; k <= n && n > 0; ++k) {
    for (uint32_t j = 0; j < n; ++j) {
      const uint32_t index = builder.AddVertex(UnitSpherePoint(k * kPi / n, j * 2 * kPi / n));
      builder.AddEdge(index, j == 0 ? index + n - 1 : index - 1);
      if (k > 0) builder.AddEdge(index, index - n);
    }
  }
  return builder.GetResult();
}

C3dBox C3dSphere::LocalBox() { return {{-1, -1, -1}, {1, 1, 1}}; }

C3dBox C3dSphere::WorldBox() { return SphereWorldBox(GetObjectToWorld()); }

bool C3dSphere::IntersectSpans(CRay& ray, bool, CSpanList& spans) { return SphereSpans(*this, ray, spans); }
