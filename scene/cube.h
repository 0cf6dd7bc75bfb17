// The cube: the unit box −0.5 .. 0.5 of object space, every box through the object's transforms.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dCube : public C3dPrimitive<C3dCube>, public C3dClassMeshes<C3dCube, 1> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("cube");
  static constexpr const char* kTypeName = "C3dCube";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 6;
  static constexpr C3dBox kLocalBox{{-0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}};

  using C3dPrimitive::C3dPrimitive;

  // Each face as a 2×2 grid: the 27 points of the 3×3×3 lattice (z slowest, then y from the top,
  // then x) and 48 edges; the centre point is on none.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  bool IntersectObjectSpace(CRay& ray) { return IntersectBox(*this, ray, kBoxBottom); }
  bool IntersectSpans(CRay& ray, bool, CSpanList& spans) override { return BoxSpans(*this, ray, spans, kBoxBottom); }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return kLocalBox.Transform(GetObjectToWorld()); }
};
