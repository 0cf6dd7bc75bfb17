#include "scene/square.h"

int32_t C3dSquare::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  C3dClassMeshBuilder builder(mesh);
  for (const vector3<double>& corner : {vector3<double>{-1, 0, 1}, {1, 0, 1}, {1, 0, -1}, {-1, 0, -1}})
    builder.AddVertex(corner);
  builder.AddLoop(0, 4);
  return builder.GetResult();
}
