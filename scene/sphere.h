// The sphere: the unit sphere of object space, placed, scaled and sheared by the object's transforms,
// so every ellipsoid. The pattern the other primitives follow: a unit box, three class wireframe
// meshes, ray and span intersection in object space, a sampled world box and duplication through
// its factory.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/object.h"

class C3dSphere : public C3dObject {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("sphr");
  static constexpr const char* kTypeName = "C3dSphere";
  // One byte of its own behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 256;

  explicit C3dSphere(const SObjectKey& key);

  // The shape factory: the new sphere gets a new base material copied from the template material.
  static int32_t New(C3dSphere** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec,
                     Handle32 templateMaterial);

  // Class meshes, shared by every sphere from start-up to shut-down: 0 for selected spheres, 1 while
  // the view moves, 2 for the others.
  static int32_t InitClassMesh();
  static int32_t FreeClassMesh();
  static int32_t BuildClassMesh(uint32_t detail0, uint32_t detail1, uint32_t detail2);
  // n + 1 rings of n vertices from pole to pole, each joined to its ring neighbour and to the vertex
  // above it: n(n + 1) vertices and n(n + 1) + n² edges.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t n);
  static C3dClassMesh* GetClassMesh(uint32_t index);

  const char* TypeName() const override { return kTypeName; }
  C3dObject* Duplicate(C3dBaseSys* table) override;
  int32_t Prepare() override { return 0; }
  bool Intersect(CRay& ray) override;
  bool IntersectSpans(CRay& ray, bool farSide) override;
  bool IsRayInside(const CRay&) override { return false; }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  uint32_t FacetCount() override { return kFacets; }
  C3dBox LocalBox() override;
  C3dBox WorldBox() override;
  bool DrawWireframe(CView* view, const C34Matrix& viewMatrix, uint32_t detail, bool reduced) override;
};
