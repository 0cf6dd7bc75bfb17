#include "scene/cone.h"

#include <algorithm>

int32_t C3dCone::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  C3dClassMeshBuilder builder(mesh);
  n = std::max(n, C3dClassMeshBuilder::kLeastFacets);
  const uint32_t rim = builder.AddRing(n, -1);
  const uint32_t apex = builder.AddVertex({0, 1, 0});
  for (uint32_t i = 0; i < n; ++i) {
    builder.AddEdge(rim + i, rim + (i + 1) % n);
    builder.AddEdge(rim + i, apex);
  }
  return builder.GetResult();
}
