// The infinite plane: y = 0 of object space without an edge for rendering rays. Boxes, wireframe and
// picking take it as the square |x|, |z| ≤ 10; in boolean groups it is the half-space below it.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dPlane : public C3dPrimitive<C3dPlane>, public C3dClassMeshes<C3dPlane, 1> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("plne");
  static constexpr const char* kTypeName = "C3dPlane";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 1;
  static constexpr C3dBox kLocalBox{{-10, 0, -10}, {10, 0, 10}};

  using C3dPrimitive::C3dPrimitive;

  // A grid of nine lines across x and nine across z over the local box: 36 vertices, 18 edges.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  bool IntersectObjectSpace(CRay& ray) { return IntersectFlat(*this, ray, EFlatShape::kPlane); }
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override {
    return FlatSpans(*this, ray, spans, EFlatShape::kPlane, farSide);
  }
  bool IsSolid() const override { return false; }
  bool IsClosed() const override { return false; }
  bool IsClosedSolid() const override { return true; }
  // Its world box stands only for the square that is drawn.
  bool IsUnbounded() const override { return true; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return kLocalBox.Transform(GetObjectToWorld()); }
};
