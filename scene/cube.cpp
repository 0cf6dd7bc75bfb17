#include "scene/cube.h"

namespace {

// The lattice's points per layer of equal z.
constexpr uint32_t kLayer = 9;

// The edges of a z = −0.5 face's 2×2 grid; the other face's are these plus 18.
constexpr uint32_t kFaceEdges[12][2] = {{0, 1}, {1, 2}, {0, 3}, {1, 4}, {2, 5}, {3, 4},
                                        {4, 5}, {3, 6}, {4, 7}, {5, 8}, {6, 7}, {7, 8}};
// The middle layer's ring round its centre point 13.
constexpr uint32_t kRing[8] = {9, 10, 11, 14, 17, 16, 15, 12};
// The face points joined to the ring: all but the face centres.
constexpr uint32_t kRim[8] = {0, 1, 2, 3, 5, 6, 7, 8};

}  // namespace

int32_t C3dCube::MakeClassMesh(C3dClassMesh* mesh, uint32_t) {
  C3dClassMeshBuilder builder(mesh);
  for (uint32_t k = 0; k < 3; ++k) {
    for (uint32_t j = 0; j < 3; ++j) {
      for (uint32_t m = 0; m < 3; ++m) builder.AddVertex({-0.5 + 0.5 * m, 0.5 - 0.5 * j, -0.5 + 0.5 * k});
    }
  }
  for (const auto& edge : kFaceEdges) builder.AddEdge(edge[0], edge[1]);
  for (uint32_t i = 0; i < 8; ++i) builder.AddEdge(kRing[i], kRing[(i + 1) % 8]);
  for (const auto& edge : kFaceEdges) builder.AddEdge(edge[0] + 2 * kLayer, edge[1] + 2 * kLayer);
  for (const uint32_t rim : kRim) builder.AddEdge(rim, rim + kLayer);
  for (const uint32_t rim : kRim) builder.AddEdge(rim + kLayer, rim + 2 * kLayer);
  return builder.GetResult();
}
