// The square: |x|, |z| ≤ 1 in y = 0 of object space, without thickness; any rectangle through the
// object's transforms. Its texture coordinates run from 0 to 1 across it, so a picture material
// shows the picture on it.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dSquare : public C3dPrimitive<C3dSquare>, public C3dClassMeshes<C3dSquare, 1> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("sqre");
  static constexpr const char* kTypeName = "C3dSquare";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 1;
  static constexpr C3dBox kLocalBox{{-1, 0, -1}, {1, 0, 1}};

  using C3dPrimitive::C3dPrimitive;

  // The outline: four corners, four edges.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t detail);

  bool IntersectObjectSpace(CRay& ray) { return IntersectFlat(*this, ray, EFlatShape::kSquare); }
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override {
    return FlatSpans(*this, ray, spans, EFlatShape::kSquare, farSide);
  }
  bool IsSolid() const override { return false; }
  bool IsClosed() const override { return false; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return kLocalBox.Transform(GetObjectToWorld()); }
};
