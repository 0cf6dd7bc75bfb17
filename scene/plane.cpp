#include "scene/plane.h"

namespace {

constexpr int kGridLines = 9;

}  // namespace

int32_t C3dPlane::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  C3dClassMeshBuilder builder(mesh);
  const vector3<double>& low = kLocalBox.fMin;
  const vector3<double>& high = kLocalBox.fMax;
  const double stepX = (high.x - low.x) / (kGridLines - 1), stepZ = (high.z - low.z) / (kGridLines - 1);
  for (int i = 0; i < kGridLines; ++i) {
    const double x = low.x + i * stepX;
    const uint32_t start = builder.AddVertex({x, low.y, low.z});
    builder.AddEdge(start, builder.AddVertex({x, low.y, high.z}));
  }
  for (int i = 0; i < kGridLines; ++i) {
    const double z = low.z + i * stepZ;
    const uint32_t start = builder.AddVertex({low.x, low.y, z});
    builder.AddEdge(start, builder.AddVertex({high.x, low.y, z}));
  }
  return builder.GetResult();
}
