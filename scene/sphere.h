// The sphere: the unit sphere of object space, placed, scaled and sheared by the object's transforms,
// so every ellipsoid.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dSphere : public C3dPrimitive<C3dSphere>, public C3dClassMeshes<C3dSphere, 3> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("sphr");
  static constexpr const char* kTypeName = "C3dSphere";
  // One byte of its own behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 256;

  using C3dPrimitive::C3dPrimitive;

  // n + 1 rings of n vertices from pole to pole, each joined to its ring neighbour and to the vertex
  // above it: n(n + 1) vertices and n(n + 1) + n² edges. Detail 0 leaves the mesh empty, and the
  // bounds box is drawn instead.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t n);

  bool IntersectObjectSpace(CRay& ray) { return IntersectSphere(*this, ray); }
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override;
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override;
  C3dBox WorldBox() override;
};
