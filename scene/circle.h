// The disk: radius 1 about the origin in y = 0 of object space, without thickness; any ellipse
// through the object's transforms. Its texture coordinates are polar: u once round the rim, v from
// the rim to the centre.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dCircle : public C3dPrimitive<C3dCircle>, public C3dClassMeshes<C3dCircle, 3> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("circ");
  static constexpr const char* kTypeName = "C3dCircle";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 1;
  static constexpr C3dBox kLocalBox{{-1, 0, -1}, {1, 0, 1}};

  using C3dPrimitive::C3dPrimitive;

  // The disk's own name for the shape factory.
  static int32_t NewWithMaterial(C3dCircle** out, C3dBaseSys* table, const SObjectKey& key,
                                 const SSpoolTableSpec& spec, Handle32 templateMaterial) {
    return New(out, table, key, spec, templateMaterial);
  }

  // The rim as n points (at least three) joined in a loop; no centre, no spokes.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t n);

  bool IntersectObjectSpace(CRay& ray) { return IntersectFlat(*this, ray, EFlatShape::kDisk); }
  bool IntersectSpans(CRay& ray, bool farSide, CSpanList& spans) override {
    return FlatSpans(*this, ray, spans, EFlatShape::kDisk, farSide);
  }
  bool IsSolid() const override { return false; }
  bool IsClosed() const override { return false; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return DiskWorldBox(GetObjectToWorld()); }
};
