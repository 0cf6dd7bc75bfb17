#include "scene/torus.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// What the shared mesh was last made for.
struct SMeshFor {
  bool made = false;
  uint32_t detail = 0;
  STorus shape;
};

SMeshFor gMeshFor;

}  // namespace

void C3dTorus::SetMinorRadius(double r) {
  fShape.minor = r;
  UpdateBounds();
}

void C3dTorus::SetMajorRadius(double r) {
  fShape.major = r;
  UpdateBounds();
}

// ---- the class mesh

int32_t C3dTorus::BuildClassMesh(uint32_t, uint32_t, uint32_t) {
  gMeshFor.made = false;
  return GetClassMesh() ? kNoErr : kErrUnexpectedStatus;
}

int32_t C3dTorus::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  C3dClassMeshBuilder builder(mesh);
  n = std::max(n, C3dClassMeshBuilder::kLeastFacets);
  const double r = gMeshFor.shape.minor, major = gMeshFor.shape.major;
  for (uint32_t j = 0; j < n; ++j) {
    const double b = j * 2 * std::numbers::pi / n;
    for (uint32_t i = 0; i < n; ++i) {
      const double a = i * 2 * std::numbers::pi / n;
      const double ring = major + r * std::sin(a);
      builder.AddVertex({ring * std::cos(b), r * std::cos(a), ring * std::sin(b)});
    }
    builder.AddLoop(j * n, n);
    if (j > 0) {
      for (uint32_t i = 0; i < n; ++i) builder.AddEdge((j - 1) * n + i, j * n + i);
    }
  }
  for (uint32_t i = 0; i < n; ++i) builder.AddEdge(i, (n - 1) * n + i);
  return builder.GetResult();
}

bool C3dTorus::DrawWireframe(CLineDrawer* view, const C34Matrix& viewMatrix, uint32_t detail, bool) {
  C3dClassMesh* mesh = GetClassMesh();
  const bool current = gMeshFor.made && gMeshFor.detail == detail && gMeshFor.shape.minor == fShape.minor &&
                       gMeshFor.shape.major == fShape.major;
  if (!current) {
    gMeshFor = {true, detail, fShape};
    if (MakeClassMesh(mesh, detail)) {
      gMeshFor.made = false;
      return false;
    }
  }
  return DrawMeshEdges(mesh, view, viewMatrix);
}

// ---- copies and the record

int32_t C3dTorus::CopyTo(C3dObject& target) {
  if (auto* torus = dynamic_cast<C3dTorus*>(&target)) {
    torus->fShape = fShape;
    torus->UpdateBounds();
  }
  return C3dPrimitive::CopyTo(target);
}

bool C3dTorus::SaveState() {
  if (!C3dPrimitive::SaveState()) return false;
  StoreField(GetData() + kMinorOffset, fShape.minor);
  StoreField(GetData() + kMajorOffset, fShape.major);
  return true;
}

void C3dTorus::RestoreState() {
  C3dPrimitive::RestoreState();
  fShape.minor = LoadField<double>(GetData() + kMinorOffset);
  fShape.major = LoadField<double>(GetData() + kMajorOffset);
  UpdateBounds();
}

bool C3dTorus::SwapRecord(uint8_t* record, uint32_t size) {
  if (size < kRecordSize || !C3dPrimitive::SwapRecord(record, size)) return false;
  SwapDoubleAt(record + kMinorOffset);
  SwapDoubleAt(record + kMajorOffset);
  return true;
}
