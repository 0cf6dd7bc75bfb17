// Class wireframe meshes: one unit-sized set of vertices and edges per class and detail level, made
// once at start-up and drawn through each object's object-to-world matrix.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_table.h"
#include "framework/core/vector3.h"

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

// The class-mesh hooks of a class T that draws from kCount meshes, each made by
// T::MakeClassMesh(mesh, detail): mesh i from detail value i. A class of one mesh makes it from the
// first value, which its MakeClassMesh ignores; a class of three draws mesh 1 while the view moves,
// mesh 0 for a selected object and mesh 2 for any other.
template <typename T, uint32_t kCount>
class C3dClassMeshes {
 public:
  static_assert(kCount == 1 || kCount == 3);

  static int32_t InitClassMesh() { return CreateClassMeshes(sMeshes, kCount); }
  static int32_t FreeClassMesh() {
    DestroyClassMeshes(sMeshes, kCount);
    return kNoErr;
  }
  static int32_t BuildClassMesh(uint32_t detail0, uint32_t detail1, uint32_t detail2) {
    const uint32_t details[3] = {detail0, detail1, detail2};
    for (uint32_t i = 0; i < kCount; ++i) {
      if (const int32_t error = T::MakeClassMesh(sMeshes[i], details[i])) return error;
    }
    return kNoErr;
  }
  static C3dClassMesh* GetClassMesh(uint32_t index = 0) { return index < kCount ? sMeshes[index] : nullptr; }
  static C3dClassMesh* DrawnMesh(bool reduced, bool selected) {
    if constexpr (kCount == 1) return sMeshes[0];
    else return sMeshes[reduced ? 1 : selected ? 0 : 2];
  }

 private:
  static inline C3dClassMesh* sMeshes[kCount] = {};
};

// Fills a class mesh from empty. The first failure is kept as the result and ends the filling: 15
// when there is no mesh, 9 when it cannot be emptied or a vertex or edge cannot be added.
class C3dClassMeshBuilder {
 public:
  // Round shapes are drawn with at least this many facets.
  static constexpr uint32_t kLeastFacets = 3;

  explicit C3dClassMeshBuilder(C3dClassMesh* mesh);

  // The new vertex's index.
  uint32_t AddVertex(const vector3<double>& p);
  void AddEdge(uint32_t first, uint32_t second);
  // n points (sin a, y, cos a) at a = i·360/n degrees, i = 0 .. n − 1; the first one's index.
  uint32_t AddRing(uint32_t n, double y);
  // Edges from each of the n vertices from `first` on to the next, the last to the first.
  void AddLoop(uint32_t first, uint32_t n);
  int32_t GetResult() const { return fResult; }

 private:
  C3dClassMesh* fMesh;
  int32_t fResult = kNoErr;
  uint32_t fCount = 0;
};
