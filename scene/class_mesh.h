// Class wireframe meshes: one unit-sized set of vertices and edges per class and detail level, made
// once at start-up and drawn through each object's object-to-world matrix.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/spool_table.h"

struct SVertex {
  double x = 0;
  double y = 0;
  double z = 0;
};

// Indices of the two end vertices, in the order the vertices were appended.
struct SEdge {
  uint32_t first = 0;
  uint32_t second = 0;
};

struct SFace {
  uint32_t vertex[3] = {};
  uint32_t flags = 0;
  uint32_t spare = 0;
};

static_assert(sizeof(SVertex) == 24 && sizeof(SEdge) == 8 && sizeof(SFace) == 20);

class C3dClassMesh : public CBaseObject {
 public:
  static constexpr int32_t kVertexStep = 512;
  static constexpr int32_t kEdgeStep = 512;
  static constexpr int32_t kFaceStep = 32;

  explicit C3dClassMesh(CSpoolSys* environment);

  // Each table valid, subscribed and in a ready environment.
  bool IsUsable() const;
  // Empties the vertex and edge tables.
  bool Clear();
  bool AddVertex(const SVertex& vertex) { return fVertices.Append(&vertex); }
  bool AddEdge(uint32_t first, uint32_t second);

  CSpoolDynTable<SVertex>& GetVertices() { return fVertices; }
  CSpoolDynTable<SEdge>& GetEdges() { return fEdges; }

 private:
  // Destroyed in reverse: faces, edges, vertices.
  CSpoolDynTable<SVertex> fVertices;
  CSpoolDynTable<SEdge> fEdges;
  CSpoolDynTable<SFace> fFaces;
};

// A class's meshes in the application's data environment, made by its InitClassMesh hook: 9 as soon
// as one cannot be made usable, and none are left then. Any meshes already there are destroyed first.
int32_t CreateClassMeshes(C3dClassMesh** meshes, uint32_t count);
// Destroys them and clears the class's references; harmless when there are none.
void DestroyClassMeshes(C3dClassMesh** meshes, uint32_t count);
