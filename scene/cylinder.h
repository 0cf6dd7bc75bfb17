// The cylinder: radius 1 about the y axis from y = −1 to y = 1 of object space, closed by its top
// and bottom disks.
#pragma once

#include <cstdint>

#include "framework/core/four_cc.h"
#include "scene/class_mesh.h"
#include "scene/primitive.h"

class C3dCylinder : public C3dPrimitive<C3dCylinder>, public C3dClassMeshes<C3dCylinder, 3> {
 public:
  static constexpr uint32_t kFamily = FourCC("3dob");
  static constexpr uint32_t kClassTag = FourCC("cylr");
  static constexpr const char* kTypeName = "C3dCylinder";
  // One byte of its own, unused, behind the placed object's record.
  static constexpr uint32_t kRecordSize = 749;
  static constexpr uint32_t kFacets = 32;
  static constexpr C3dBox kLocalBox{{-1, -1, -1}, {1, 1, 1}};

  using C3dPrimitive::C3dPrimitive;

  // The top rim as n points (at least three), then the bottom rim beneath it; per top point its
  // ring edge, the upright below it and the bottom ring edge.
  static int32_t MakeClassMesh(C3dClassMesh* mesh, uint32_t n);

  bool IntersectObjectSpace(CRay& ray) { return IntersectCylinder(*this, ray, kCylinderBottom); }
  bool IntersectSpans(CRay& ray, bool, CSpanList& spans) override { return CylinderSpans(*this, ray, spans, kCylinderBottom); }
  bool IsClosed() const override { return true; }
  bool IsClosedSolid() const override { return true; }
  bool IsUnbounded() const override { return false; }
  C3dBox LocalBox() override { return kLocalBox; }
  C3dBox WorldBox() override { return CylinderWorldBox(GetObjectToWorld()); }
};
