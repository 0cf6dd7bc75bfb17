#include "scene/class_mesh.h"

#include <cmath>
#include <numbers>

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"

namespace {

template <typename T>
SDynTableLayout MeshLayout(CSpoolSys* environment, int32_t step) {
  SDynTableLayout layout;
  layout.SetSized(environment, sizeof(T), 0);
  layout.range = SRange{0, step};
  return layout;
}

SSpoolTableSpec MeshSpec() {
  SSpoolTableSpec spec;
  spec.SetDefaults(false, nullptr, nullptr);
  return spec;
}

template <typename T>
bool IsTableUsable(const CSpoolDynTable<T>& table) {
  const CSpoolSys* environment = table.GetEnvironment();
  return table.IsValid() && table.IsSubscribed() && environment && environment->IsReady();
}

}  // namespace

C3dClassMesh::C3dClassMesh(CSpoolSys* environment)
    : fVertices(MeshLayout<SVertex>(environment, kVertexStep), MeshSpec()),
      fEdges(MeshLayout<SEdge>(environment, kEdgeStep), MeshSpec()),
      fFaces(MeshLayout<SFace>(environment, kFaceStep), MeshSpec()) {}

bool C3dClassMesh::IsUsable() const {
  return IsTableUsable(fVertices) && IsTableUsable(fEdges) && IsTableUsable(fFaces);
}

bool C3dClassMesh::Clear() {
  return (fVertices.GetCount() == 0 || fVertices.RemoveAt(0, fVertices.GetCount())) &&
         (fEdges.GetCount() == 0 || fEdges.RemoveAt(0, fEdges.GetCount()));
}

bool C3dClassMesh::AddEdge(uint32_t first, uint32_t second) {
  const SEdge edge{first, second};
  return fEdges.Append(&edge);
}

int32_t CreateClassMeshes(C3dClassMesh** meshes, uint32_t count) {
  DestroyClassMeshes(meshes, count);
  CAppl* app = GetApplication();
  CSpoolSys* environment = app ? app->GetDataEnv() : nullptr;
  for (uint32_t i = 0; i < count; ++i) {
    meshes[i] = new C3dClassMesh(environment);
    if (!meshes[i] || !meshes[i]->IsUsable()) {
      DestroyClassMeshes(meshes, count);
      return kErrOutOfMemory;
    }
  }
  return kNoErr;
}

void DestroyClassMeshes(C3dClassMesh** meshes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    delete meshes[i];
    meshes[i] = nullptr;
  }
}

C3dClassMeshBuilder::C3dClassMeshBuilder(C3dClassMesh* mesh) : fMesh(mesh) {
  if (!mesh) fResult = kErrUnexpectedStatus;
  else if (!mesh->Clear()) fResult = kErrOutOfMemory;
}

uint32_t C3dClassMeshBuilder::AddVertex(const vector3<double>& p) {
  if (!fResult && !fMesh->AddVertex({p.x, p.y, p.z})) fResult = kErrOutOfMemory;
  return fResult ? 0 : fCount++;
}

void C3dClassMeshBuilder::AddEdge(uint32_t first, uint32_t second) {
  if (!fResult && !fMesh->AddEdge(first, second)) fResult = kErrOutOfMemory;
}

uint32_t C3dClassMeshBuilder::AddRing(uint32_t n, double y) {
  const uint32_t first = fCount;
  for (uint32_t i = 0; i < n; ++i) {
    const double a = i * 2 * std::numbers::pi / n;
    AddVertex({std::sin(a), y, std::cos(a)});
  }
  return first;
}

void C3dClassMeshBuilder::AddLoop(uint32_t first, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) AddEdge(first + i, first + (i + 1) % n);
}
