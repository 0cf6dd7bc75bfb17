#include "scene/sphere.h"

#include <cmath>
#include <numbers>

#include "framework/core/result_codes.h"
#include "scene/class_mesh.h"
#include "scene/factory.h"
#include "scene/shape_intersection.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr uint32_t kMeshCount = 3;
constexpr uint32_t kSelectedMesh = 0;
constexpr uint32_t kMovingMesh = 1;
constexpr uint32_t kUnselectedMesh = 2;

C3dClassMesh* gMeshes[kMeshCount] = {};

}  // namespace

C3dSphere::C3dSphere(const SObjectKey& key) : C3dObject(key) { SizeRecord(kRecordSize); }

int32_t C3dSphere::New(C3dSphere** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                       Handle32 templateMaterial) {
  return NewShape(out, table, key, spec, templateMaterial);
}

C3dObject* C3dSphere::Duplicate(C3dBaseSys* table) { return DuplicateShape(*this, table); }

// ---- class meshes

int32_t C3dSphere::InitClassMesh() { return CreateClassMeshes(gMeshes, kMeshCount); }

int32_t C3dSphere::FreeClassMesh() {
  DestroyClassMeshes(gMeshes, kMeshCount);
  return kNoErr;
}

int32_t C3dSphere::BuildClassMesh(uint32_t detail0, uint32_t detail1, uint32_t detail2) {
  const uint32_t details[kMeshCount] = {detail0, detail1, detail2};
  for (uint32_t i = 0; i < kMeshCount; ++i) {
    if (const int32_t error = MakeClassMesh(gMeshes[i], details[i])) return error;
  }
  return kNoErr;
}

int32_t C3dSphere::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  if (!mesh) return kErrUnexpectedStatus;
  if (!mesh->Clear()) return kErrOutOfMemory;
  // Detail 0 draws the bounds box instead.
  if (n == 0) return kNoErr;
  for (uint32_t k = 0; k <= n; ++k) {
    const double theta = k * kPi / n;
    for (uint32_t j = 0; j < n; ++j) {
      const vector3<double> p = UnitSpherePoint(theta, j * 2 * kPi / n);
      const uint32_t index = k * n + j;
      if (!mesh->AddVertex({p.x, p.y, p.z})) return kErrOutOfMemory;
      if (!mesh->AddEdge(index, j == 0 ? index + n - 1 : index - 1)) return kErrOutOfMemory;
      if (k > 0 && !mesh->AddEdge(index, index - n)) return kErrOutOfMemory;
    }
  }
  return kNoErr;
}

C3dClassMesh* C3dSphere::GetClassMesh(uint32_t index) { return index < kMeshCount ? gMeshes[index] : nullptr; }

bool C3dSphere::DrawWireframe(CView* view, const C34Matrix& viewMatrix, uint32_t, bool reduced) {
  const uint32_t mesh = reduced ? kMovingMesh : IsSelected() ? kSelectedMesh : kUnselectedMesh;
  return DrawMeshEdges(gMeshes[mesh], view, viewMatrix);
}

// ---- boxes and rays

C3dBox C3dSphere::LocalBox() { return {{-1, -1, -1}, {1, 1, 1}}; }

C3dBox C3dSphere::WorldBox() { return SphereWorldBox(GetObjectToWorld()); }

bool C3dSphere::Intersect(CRay& ray) {
  bool answer = false;
  return PassesEntryTests(*this, ray, answer) ? IntersectSphere(*this, ray) : answer;
}

bool C3dSphere::IntersectSpans(CRay& ray, bool) { return SphereSpans(*this, ray); }
