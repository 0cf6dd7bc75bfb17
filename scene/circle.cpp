#include "scene/circle.h"

#include <algorithm>

int32_t C3dCircle::MakeClassMesh(C3dClassMesh* mesh, uint32_t n) {
  C3dClassMeshBuilder builder(mesh);
  n = std::max(n, C3dClassMeshBuilder::kLeastFacets);
  builder.AddLoop(builder.AddRing(n, 0), n);
  return builder.GetResult();
}
