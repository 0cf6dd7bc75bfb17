#include "scene/pyramid.h"

int32_t C3dPyramid::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  C3dClassMeshBuilder builder(mesh);
  for (const vector3<double>& corner : {vector3<double>{-0.5, -0.5, 0.5}, {0.5, -0.5, 0.5}, {0.5, -0.5, -0.5},
                                        {-0.5, -0.5, -0.5}})
    builder.AddVertex(corner);
  const uint32_t apex = builder.AddVertex({0, 0.5, 0});
  builder.AddLoop(0, 4);
  for (uint32_t i = 0; i < 4; ++i) builder.AddEdge(i, apex);
  return builder.GetResult();
}
