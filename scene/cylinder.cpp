#include "scene/cylinder.h"

#include <algorithm>

int32_t C3dCylinder::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  C3dClassMeshBuilder builder(mesh);
  n = std::max(n, C3dClassMeshBuilder::kLeastFacets);
  const uint32_t top = builder.AddRing(n, 1);
  const uint32_t bottom = builder.AddRing(n, -1);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t next = (i + 1) % n;
    builder.AddEdge(top + i, top + next);
    builder.AddEdge(top + i, bottom + i);
    builder.AddEdge(bottom + i, bottom + next);
  }
  return builder.GetResult();
}
